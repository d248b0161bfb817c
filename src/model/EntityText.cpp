#include "model/EntityText.h"

#include "model/Diagnostics.h"
#include "model/HostFamily.h"

std::wstring ParagraphsToLines(const std::wstring& contents) {
    std::wstring out;
    out.reserve(contents.size());
    for (size_t i = 0; i < contents.size(); ++i) {
        if (contents[i] == L'\\' && i + 1 < contents.size() && contents[i + 1] == L'P') {
            out += L"\r\n";
            ++i;
        } else {
            out += contents[i];
        }
    }
    return out;
}

std::wstring LinesToParagraphs(const std::wstring& editorText) {
    std::wstring out;
    out.reserve(editorText.size());
    for (wchar_t c : editorText) {
        if (c == L'\r')
            out += L"\\P";
        else
            out += c;
    }
    return out;
}

Acad::ErrorStatus ReadEntityText(AcDbObjectId id, EditMode kind, std::wstring& text) {
    text.clear();
    AcDbEntity* ent = nullptr;
    Acad::ErrorStatus es = acdbOpenAcDbEntity(ent, id, AcDb::kForRead);
    if (es != Acad::eOk) {
        REPORT_FAILED_OPEN(es);
        return es;
    }
    AcDbField* field = nullptr;
    if (kHostEvaluatesFields && ent->hasFields() && ent->getField(L"TEXT", field, AcDb::kForRead) == Acad::eOk) {
        ACHAR* code = field->getFieldCode(AcDbField::kFieldCode);
        if (code) text = code;
        acutDelString(code);
        field->close();
    } else {
        ACHAR* plain = nullptr;
        if (kind == DTEXT && AcDbText::cast(ent))
            plain = AcDbText::cast(ent)->textString();
        else if (kind == MTEXT && AcDbMText::cast(ent))
            plain = AcDbMText::cast(ent)->contents();
        else if (kind == DIM && AcDbDimension::cast(ent))
            plain = AcDbDimension::cast(ent)->dimensionText();
        if (plain) text = plain;
        acutDelString(plain);
    }
    ent->close();
    return Acad::eOk;
}

Acad::ErrorStatus BuildEditorText(const EditState& s, std::wstring& text) {
    text.clear();
    std::wstring one;
    if (s.mode == DTEXT) {
        for (size_t i = 0; i < s.texts.size(); ++i) {
            if (Acad::ErrorStatus es = ReadEntityText(s.texts[i], DTEXT, one)) return es;
            if (i > 0) text += L"\r\n";
            text += one;
        }
    } else if (s.mode == MTEXT || s.mode == DIM) {
        if (Acad::ErrorStatus es = ReadEntityText(s.currentObject, s.mode, one)) return es;
        text = ParagraphsToLines(one);
    }
    return Acad::eOk;
}
