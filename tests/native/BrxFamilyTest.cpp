// What the BRX family does differently in the text model.
#include "Fixture.h"

#include "model/EntityText.h"
#include "model/WriteBack.h"

namespace {

using BrxFamilyTest = HostTest;

TEST_F(BrxFamilyTest, FieldsAreShownAndWrittenAsPlainTextAndTheGlobalManagerFlushes) {
    AcDbObjectId id = addText(L"%<\\AcVar Date>%", 0, 0);
    acdbEvaluateFields(id, 64); // a field made by the host itself
    {
        AcDbText* t = nullptr;
        ASSERT_EQ(acdbOpenObject(t, id, AcDb::kForWrite), Acad::eOk);
        t->setTextString(L"shown as plain");
        t->close();
    }
    EditState s;
    s.mode = DTEXT;
    s.texts = {id};
    std::wstring text;
    ASSERT_EQ(BuildEditorText(s, text), Acad::eOk);
    EXPECT_EQ(text, L"shown as plain");

    int global = acTransactionManagerPtr()->flushes(), own = doc->transactionManager()->flushes();
    ASSERT_TRUE(ApplyEditorText(s, TextLines(L"%<\\AcVar Filename>%")));
    EXPECT_EQ(acTransactionManagerPtr()->flushes(), global + 1);
    EXPECT_EQ(doc->transactionManager()->flushes(), own);
    // No evaluation followed: the field is still the one the host made.
    EXPECT_EQ(FieldCode(id), L"%<\\AcVar Date>%");
}

} // namespace
