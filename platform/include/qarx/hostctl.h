// The host side of the host: what the host program (and the tests, which
// play the host) use to hold documents, answer prompts, run commands and
// look at the host's state. Modules do not use it.
#pragma once

#include "qarx/ap.h"
#include "qarx/ed.h"
#include "qarx/rx.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qarx {

struct SelectionAnswer {
    enum Kind { kEntities, kEnter, kCancel } kind = kEnter;
    std::vector<AcDbObjectId> entities;
};

// The view's mapping from pixels to drawing coordinates: world = origin +
// (px, -py) * unitsPerPixel.
struct ViewTransform {
    double originX = 0, originY = 0, unitsPerPixel = 1;
};

class QARX_API Host {
public:
    static Host& get();

    // Documents. The host owns them; the new one becomes current.
    AcApDocument* addDocument(std::unique_ptr<AcDbDatabase> db, const std::wstring& name);
    void closeDocument(AcApDocument* doc);
    void closeAllDocuments();
    AcApDocument* current() const { return current_; }
    void setCurrent(AcApDocument* doc);
    const std::vector<std::unique_ptr<AcApDocument>>& documents() const { return docs_; }
    // Without it acDocManagerPtr() answers null, as before the host has made one.
    void setDocManagerAvailable(bool on) { docManagerAvailable_ = on; }
    bool docManagerAvailable() const { return docManagerAvailable_; }

    // Selection prompts take their answers from this queue; when it is empty
    // the pump is asked for more input until it gives up (then: Esc).
    void queueSelection(SelectionAnswer a) { answers_.push_back(std::move(a)); }
    std::function<bool()> promptPump;
    void setPickFirst(std::vector<AcDbObjectId> ids) { pickFirst_ = std::move(ids); }
    const std::vector<AcDbObjectId>& pickFirst() const { return pickFirst_; }

    // Commands: runs one by name as if typed; false when there is none.
    bool runCommand(const std::wstring& name);
    // Strings queued for execution, run as the host runs them: each line a command.
    void runQueuedStrings();
    const std::vector<std::wstring>& queued() const { return queued_; }

    // The BRX module objects announce their applications through these.
    std::function<void(const std::wstring&)> loadArxApp, unloadArxApp;

    // The command line: what was printed since the last take.
    std::wstring takeCommandLine();
    std::function<void(const std::wstring&)> onPrint;

    // State the tests and the host program look at.
    bool activationEnabled() const { return activation_; }
    int locks() const;
    int selectionSets() const { return static_cast<int>(sets_.size()); }
    int filters() const;
    int redraws() const { return redraws_; }
    int displayUpdates() const { return displayUpdates_; }
    int lastGrTextBox() const { return lastGrTextBox_; }
    int lispDefinitions() const { return lispDefinitions_; }
    int documentReactors() const;
    void setRefuseLocks(bool on) { refuseLocks_ = on; }
    ViewTransform view;
    AcDwgView dwgView;

#ifdef _WIN32
    // Runs the window-message filters; true when one consumed the message.
    bool filterMessage(MSG* msg);
#endif

    // Internals the host services share.
    struct Impl;
    Impl& impl() { return *impl_; }

    Host();
    std::vector<std::unique_ptr<AcApDocument>> docs_;
    AcApDocument* current_ = nullptr;
    bool docManagerAvailable_ = true;
    std::vector<SelectionAnswer> answers_;
    std::vector<AcDbObjectId> pickFirst_;
    std::vector<std::wstring> queued_;
    std::wstring commandLine_;
    bool activation_ = true;
    std::map<std::int64_t, std::vector<AcDbObjectId>> sets_;
    std::int64_t nextSet_ = 1;
    int redraws_ = 0, displayUpdates_ = 0, lastGrTextBox_ = 0, lispDefinitions_ = 0;
    bool refuseLocks_ = false;
    Adesk::Int32 runningFlags_ = 0;
    bool commandRunning_ = false;
    Impl* impl_;
};

// Where the host shows a TEXT: its alignment point when it is justified,
// its position for left-baseline, aligned and fit texts.
QARX_API bool IsJustified(const AcDbText& text);

// Entities of model space under a point, within the pick box (in drawing units).
QARX_API std::vector<AcDbObjectId> EntitiesAt(AcDbDatabase& db, double x, double y, double pickBox);
// Whether an entity passes a selection filter list.
QARX_API bool PassesFilter(const AcDbEntity& ent, const resbuf* filter);

} // namespace qarx
