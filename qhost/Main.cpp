// qhost: a CAD host of our own. It holds DXF drawings, loads Quendrel
// modules as the two host families do, and runs a script.
#include "Loader.h"
#include "Script.h"
#include "View.h"

#include "db/DatabaseImpl.h"
#include "dxf/DxfDocument.h"
#include "qarx/hostctl.h"

#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

// Records keep their fields in the order the script's contract gives.
using json = nlohmann::ordered_json;
using qarx::ToUtf8;
using qhost::LineError;

namespace {

constexpr const wchar_t* kRegistryKey = L"Software\\Kessal\\Quendrel";

// Integral values print without a fraction, as the drawing's own numbers read.
json Num(double v) {
    if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 9007199254740992.0 && !(v == 0 && std::signbit(v)))
        return static_cast<std::int64_t>(v);
    return v;
}

json Point(const AcGePoint3d& p) { return json::array({Num(p.x), Num(p.y), Num(p.z)}); }

std::string Hex(std::uint64_t h) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llX", static_cast<unsigned long long>(h));
    return buf;
}

std::string SymbolName(AcDbObjectId id) {
    AcDbSymbolTableRecord* rec = nullptr;
    if (acdbOpenObject(rec, id, AcDb::kForRead) != Acad::eOk) return std::string();
    std::string n = ToUtf8(rec->name());
    rec->close();
    return n;
}

class Runner {
public:
    Runner(std::vector<std::wstring> lines, qhost::MainWindow& window) : lines_(std::move(lines)), window_(window) {}

    // Runs the next line; false when the script has ended.
    bool step() {
        if (next_ >= lines_.size()) return false;
        size_t number = ++next_;
        std::vector<std::wstring> tok = qhost::Tokenize(lines_[number - 1]);
        if (tok.empty() || tok[0][0] == L'#') return true;
        try {
            run(tok);
        } catch (const LineError& e) {
            failedLine_ = number;
            throw;
        }
        pump();
        return true;
    }

    void runAll() {
        while (step()) {
        }
    }

    size_t currentLine() const { return failedLine_ ? failedLine_ : next_; }

private:
    void out(const json& j) {
        std::string s = j.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
        std::fwrite(s.data(), 1, s.size(), stdout);
        std::fflush(stdout);
    }

    static void need(const std::vector<std::wstring>& tok, size_t n, const char* usage) {
        if (tok.size() < n) throw LineError(std::string("usage: ") + usage);
    }

    AcDbDatabase& db() {
        AcApDocument* doc = qarx::Host::get().current();
        if (!doc) throw LineError("no drawing is open");
        return *doc->database();
    }

    std::vector<AcDbObjectId> handles(const std::vector<std::wstring>& tok, size_t from) {
        std::vector<AcDbObjectId> ids;
        for (size_t i = from; i < tok.size(); ++i) {
            wchar_t* end = nullptr;
            unsigned long long h = std::wcstoull(tok[i].c_str(), &end, 16);
            AcDbObjectId id = *end || tok[i].empty() ? AcDbObjectId() : db().findByHandle(h);
            if (id.isNull()) throw LineError("no entity with handle " + ToUtf8(tok[i]));
            ids.push_back(id);
        }
        return ids;
    }

    void pump() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (qarx::Host::get().filterMessage(&msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        qarx::Host::get().runQueuedStrings();
    }

    void run(const std::vector<std::wstring>& tok);
    void dump();
    json hostState();
    json registry();
    void setreg(const std::vector<std::wstring>& tok);
    void delreg(const std::vector<std::wstring>& tok);
    void lockLayer(const std::wstring& name, bool lock);

    std::vector<std::wstring> lines_;
    size_t next_ = 0, failedLine_ = 0;
    qhost::MainWindow& window_;
    qhost::Loader loader_;
};

// Paths: Unix ones as Wine names them, relative ones from where we started.
std::wstring HostPath(const std::wstring& p) {
    if (!p.empty() && p[0] == L'/') {
        typedef WCHAR* (*DosName)(const char*);
        auto fn = qhost::ProcAddress<DosName>(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name");
        if (fn) {
            WCHAR* dos = fn(ToUtf8(p).c_str());
            if (dos) {
                std::wstring r = dos;
                HeapFree(GetProcessHeap(), 0, dos);
                return r;
            }
        }
    }
    return p;
}

void Runner::run(const std::vector<std::wstring>& tok) {
    const std::wstring& cmd = tok[0];
    qarx::Host& host = qarx::Host::get();
    if (cmd == L"open") {
        need(tok, 2, "open PATH");
        std::string error;
        auto read = qarx::ReadDxfFile(ToUtf8(HostPath(tok[1])), error);
        if (!read) {
            acutPrintf(L"\n%ls", qarx::FromUtf8(error).c_str());
            throw LineError(error);
        }
        host.addDocument(std::move(read), tok[1]);
        window_.fitDrawing();
    } else if (cmd == L"new") {
        host.addDocument(std::make_unique<AcDbDatabase>(), L"Drawing1.dxf");
        window_.fitDrawing();
    } else if (cmd == L"save") {
        need(tok, 2, "save PATH");
        std::string error;
        if (!qarx::WriteDxfFile(db(), ToUtf8(HostPath(tok[1])), error)) throw LineError(error);
    } else if (cmd == L"load") {
        need(tok, 2, "load PATH");
        loader_.load(HostPath(tok[1]));
    } else if (cmd == L"unload") {
        need(tok, 2, "unload PATH");
        loader_.unload(HostPath(tok[1]));
    } else if (cmd == L"select") {
        if (tok.size() == 2 && tok[1] == L"cancel")
            host.queueSelection({qarx::SelectionAnswer::kCancel, {}});
        else if (tok.size() == 1)
            host.queueSelection({qarx::SelectionAnswer::kEnter, {}});
        else
            host.queueSelection({qarx::SelectionAnswer::kEntities, handles(tok, 1)});
    } else if (cmd == L"pickfirst") {
        host.setPickFirst(handles(tok, 1));
    } else if (cmd == L"command") {
        need(tok, 2, "command NAME");
        if (!host.runCommand(tok[1])) throw LineError("unknown command " + ToUtf8(tok[1]));
        window_.redraw();
    } else if (cmd == L"dblclick") {
        need(tok, 3, "dblclick X Y");
        POINT p = window_.toPixel(std::stod(tok[1]), std::stod(tok[2]));
        PostMessageW(window_.view(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    } else if (cmd == L"dump") {
        dump();
    } else if (cmd == L"commandline") {
        out(json(ToUtf8(host.takeCommandLine())));
    } else if (cmd == L"host") {
        out(hostState());
    } else if (cmd == L"registry") {
        out(registry());
    } else if (cmd == L"setreg") {
        setreg(tok);
    } else if (cmd == L"delreg") {
        delreg(tok);
    } else if (cmd == L"lock-layer" || cmd == L"unlock-layer") {
        need(tok, 2, "lock-layer NAME");
        lockLayer(tok[1], cmd == L"lock-layer");
    } else if (cmd == L"idle") {
        pump();
    } else {
        throw LineError("unknown command: " + ToUtf8(cmd));
    }
}

void Runner::dump() {
    AcDbBlockTableRecord* ms = nullptr;
    if (acdbOpenObject(ms, db().modelSpaceId(), AcDb::kForRead) != Acad::eOk) throw LineError("model space");
    AcDbObjectIdArray ids = ms->entities();
    ms->close();
    for (AcDbObjectId id : ids) {
        AcDbEntity* e = nullptr;
        if (acdbOpenAcDbEntity(e, id, AcDb::kForRead) != Acad::eOk) continue;
        json j;
        j["handle"] = Hex(id.handle());
        if (auto* t = e->isA() == AcDbText::desc() ? AcDbText::cast(e) : nullptr) { // not ATTDEF
            j["type"] = "TEXT";
            j["text"] = ToUtf8(t->textStringConst());
            j["position"] = Point(t->position());
            j["alignment"] = Point(t->alignmentPoint());
            j["hmode"] = static_cast<int>(t->horizontalMode());
            j["vmode"] = static_cast<int>(t->verticalMode());
            j["height"] = Num(t->height());
            j["rotation"] = Num(t->rotation());
            j["widthFactor"] = Num(t->widthFactor());
            j["style"] = SymbolName(t->textStyle());
        } else if (auto* m = AcDbMText::cast(e)) {
            j["type"] = "MTEXT";
            j["contents"] = ToUtf8(m->contentsConst());
            j["location"] = Point(m->location());
            j["height"] = Num(m->textHeight());
            j["width"] = Num(m->width());
            j["lineSpacingFactor"] = Num(m->lineSpacingFactor());
            j["style"] = SymbolName(m->textStyle());
        } else if (auto* d = AcDbDimension::cast(e)) {
            j["type"] = "DIMENSION";
            j["text"] = ToUtf8(d->dimensionTextConst());
            j["textHeight"] = Num(d->dimtxt());
            j["style"] = SymbolName(d->dimtxsty());
        } else {
            e->close();
            continue;
        }
        j["layer"] = ToUtf8(e->layer());
        e->close();
        out(j);
    }
}

json Runner::hostState() {
    qarx::Host& host = qarx::Host::get();
    json commands = json::array();
    auto* stack = static_cast<AcEdCommandStack*>(acrxSysRegistry()->at(ACRX_COMMAND_DOCK));
    for (auto& [group, cmds] : stack->groups())
        for (auto& [name, c] : cmds)
            commands.push_back(ToUtf8(group + L"." + name));
    json modules = json::array(), queued = json::array();
    for (auto& m : loader_.fileNames())
        modules.push_back(ToUtf8(m));
    for (auto& q : host.queued())
        queued.push_back(ToUtf8(q));
    json j;
    j["activation"] = host.activationEnabled();
    j["openObjects"] = qarx::OpenObjectCount();
    j["selectionSets"] = host.selectionSets();
    j["locks"] = host.locks();
    j["commands"] = commands;
    j["filters"] = host.filters();
    j["modules"] = modules;
    j["queued"] = queued;
    return j;
}

json Runner::registry() {
    json j = json::object();
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return j;
    for (DWORD i = 0;; ++i) {
        WCHAR name[256];
        DWORD nameLen = 256, type = 0, size = 0;
        if (RegEnumValueW(key, i, name, &nameLen, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::vector<BYTE> data(size + 2);
        nameLen = 256;
        DWORD dataLen = size;
        RegEnumValueW(key, i, name, &nameLen, nullptr, &type, data.data(), &dataLen);
        std::string n = ToUtf8(name);
        if (type == REG_DWORD && dataLen == 4) {
            DWORD v;
            memcpy(&v, data.data(), 4);
            j[n] = v;
        } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
            std::wstring s(reinterpret_cast<const wchar_t*>(data.data()), dataLen / 2);
            j[n] = ToUtf8(s.substr(0, s.find(L'\0')));
        } else {
            std::string hex;
            for (DWORD k = 0; k < dataLen; ++k) {
                char b[3];
                std::snprintf(b, 3, "%02X", data[k]);
                hex += b;
            }
            j[n] = hex;
        }
    }
    RegCloseKey(key);
    return j;
}

void Runner::setreg(const std::vector<std::wstring>& tok) {
    need(tok, 4, "setreg NAME dword N | sz TEXT | binary HEX");
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRegistryKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
        throw LineError("cannot open the registry key");
    LONG r;
    if (tok[2] == L"dword") {
        DWORD v = static_cast<DWORD>(std::stoul(tok[3], nullptr, 0));
        r = RegSetValueExW(key, tok[1].c_str(), 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4);
    } else if (tok[2] == L"sz") {
        r = RegSetValueExW(key, tok[1].c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(tok[3].c_str()),
                           static_cast<DWORD>((tok[3].size() + 1) * 2));
    } else if (tok[2] == L"binary") {
        std::vector<BYTE> bytes;
        for (size_t i = 0; i + 1 < tok[3].size(); i += 2)
            bytes.push_back(static_cast<BYTE>(std::stoul(tok[3].substr(i, 2), nullptr, 16)));
        r = RegSetValueExW(key, tok[1].c_str(), 0, REG_BINARY, bytes.data(), static_cast<DWORD>(bytes.size()));
    } else {
        RegCloseKey(key);
        throw LineError("setreg: type is dword, sz or binary");
    }
    RegCloseKey(key);
    if (r != ERROR_SUCCESS) throw LineError("cannot write the registry value");
}

void Runner::delreg(const std::vector<std::wstring>& tok) {
    if (tok.size() < 2) {
        RegDeleteKeyW(HKEY_CURRENT_USER, kRegistryKey);
        return;
    }
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRegistryKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, tok[1].c_str());
    RegCloseKey(key);
}

void Runner::lockLayer(const std::wstring& name, bool lock) {
    AcDbSymbolTable* layers = nullptr;
    if (acdbOpenObject(layers, db().layerTableId(), AcDb::kForRead) != Acad::eOk) throw LineError("layer table");
    AcDbObjectId id;
    Acad::ErrorStatus es = layers->getAt(name.c_str(), id);
    layers->close();
    if (es != Acad::eOk) throw LineError("no layer " + ToUtf8(name));
    AcDbLayerTableRecord* layer = nullptr;
    if (acdbOpenObject(layer, id, AcDb::kForWrite) != Acad::eOk) throw LineError("cannot open layer " + ToUtf8(name));
    layer->setIsLocked(lock);
    layer->close();
}

std::vector<std::wstring> ReadScript(const std::wstring& path) {
    std::string bytes;
    if (path == L"-") {
        _setmode(_fileno(stdin), _O_BINARY);
        std::ostringstream s;
        s << std::cin.rdbuf();
        bytes = s.str();
    } else {
        FILE* f = _wfopen(HostPath(path).c_str(), L"rb");
        if (!f) return {L"\x01"};
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            bytes.append(buf, n);
        std::fclose(f);
    }
    std::vector<std::wstring> lines;
    std::istringstream in(bytes);
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        lines.push_back(qarx::FromUtf8(l));
    }
    return lines;
}

} // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    bool gui = false;
    std::wstring script;
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--gui")
            gui = true;
        else if (script.empty())
            script = a;
        else
            script = L"";
    }
    if (script.empty()) {
        std::fprintf(stderr, "usage: qhost [--gui] SCRIPT\n");
        return 2;
    }
    std::vector<std::wstring> lines = ReadScript(script);
    if (lines.size() == 1 && lines[0] == L"\x01") {
        std::fprintf(stderr, "qhost: cannot read the script %s\n", ToUtf8(script).c_str());
        return 2;
    }
    qhost::MainWindow window;
    if (!window.create(gui)) {
        std::fprintf(stderr, "qhost: cannot create the main window\n");
        return 1;
    }
    qarx::Host::get().onPrint = [&](const std::wstring& s) { window.printed(s); };
    Runner runner(std::move(lines), window);
    // A prompt with no answer queued reads on in the script.
    qarx::Host::get().promptPump = [&] { return runner.step(); };
    int status = 0;
    try {
        runner.runAll();
    } catch (const LineError& e) {
        std::fprintf(stderr, "qhost: %zu: %s\n", runner.currentLine(), e.what());
        status = 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qhost: %zu: %s\n", runner.currentLine(), e.what());
        status = 1;
    }
    if (gui && status == 0) {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (qarx::Host::get().filterMessage(&msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    qarx::Host::get().promptPump = nullptr;
    qarx::Host::get().onPrint = nullptr;
    qarx::Host::get().closeAllDocuments();
    return status;
}
