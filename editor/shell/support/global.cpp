#include "editor/shell/support/global.h"

#include "editor/shell/support/data_folders.h"
#include "editor/shell/support/messages.h"
#include "editor/shell/support/paths.h"
#include "editor/shell/support/tracer_form.h"

#include <QFile>

#include <cstdio>

TGlobal::TGlobal() = default;
TGlobal::~TGlobal() = default;

TRegLink &TGlobal::Link(std::unique_ptr<TRegLink> &link, const char *key)
{
    if (!link)
        link = std::make_unique<TRegLink>(HKEY_CURRENT_USER, key);
    return *link;
}

TRegLink &TGlobal::AppKey() { return Link(appKey_, "\\Software\\Vorn Technology\\ORVPro"); }
TRegLink &TGlobal::SettingsKey()
{
    return Link(settingsKey_, "\\Software\\Vorn Technology\\ORVPro\\Settings");
}
TRegLink &TGlobal::ToolbarsKey()
{
    return Link(toolbarsKey_, "\\Software\\Vorn Technology\\ORVPro\\Toolbars");
}
TRegLink &TGlobal::MenusKey() { return Link(menusKey_, "\\Software\\Vorn Technology\\ORVPro\\Menus"); }
TRegLink &TGlobal::EngineSettingsKey()
{
    return Link(engineSettingsKey_, "\\Software\\KRT\\GORM 8.0\\Settings");
}
TRegLink &TGlobal::ConvertersKey() { return Link(convertersKey_, "\\Software\\KRT\\GORM 8.0\\Converters"); }

void TGlobal::StartLog(const std::string &folder)
{
    const std::string log = PathJoin(folder, "Orvane.log");
    // Each step is skipped when its file is missing.
    std::remove((log + "2").c_str());
    std::rename((log + "1").c_str(), (log + "2").c_str());
    std::rename(log.c_str(), (log + "1").c_str());

    tracer_ = std::make_unique<TTracerForm>();
    tracer_->Model().OpenLog(log);
    tracer_->Model().SetProblemCallback([this](const std::string &text) { ReportProblem(text); });
}

void TGlobal::StopLog() { tracer_.reset(); }

bool TGlobal::CheckDebugMode(bool requested)
{
    const bool access = AppKey().GetInteger("Debug", 0) == kDebugAccessValue;
    debugMode_ = requested && access;
    return access;
}

bool TGlobal::GetOption(int bit)
{
    if (bit < 0 || bit > 31)
        return false;
    return (uint32_t(SettingsKey().GetInteger("Options", kDefaultOptions)) >> bit) & 1u;
}

void TGlobal::SetOption(int bit, bool on)
{
    if (bit < 0 || bit > 31)
        return;
    uint32_t options = uint32_t(SettingsKey().GetInteger("Options", kDefaultOptions));
    options = on ? options | (1u << bit) : options & ~(1u << bit);
    SettingsKey().WriteInteger("Options", int32_t(options));
}

void TGlobal::ReportProblem(const std::string &)
{
    InfoMessage("An unusual but not entirely unexpected error has occurred.\n\n"
                "Please send the log file \"Orvane.log\" from the folder \"" +
                LocalDataFolder() + "\" to Vorn Technology's support.");
}

std::string TGlobal::CommonDataFolder() const { return EditorDataFolder(CSIDL_COMMON_APPDATA); }
std::string TGlobal::AppDataFolder() const { return EditorDataFolder(CSIDL_APPDATA); }
std::string TGlobal::LocalDataFolder() const { return EditorDataFolder(CSIDL_LOCAL_APPDATA); }
std::string TGlobal::DocumentsFolder() const { return EditorDataFolder(CSIDL_PERSONAL); }

void TGlobal::TraceEntry(const std::string &name)
{
    if (tracer_)
        tracer_->Model().TraceEntry(name);
}

void TGlobal::TraceExit(const std::string &name)
{
    if (tracer_)
        tracer_->Model().TraceExit(name);
}

void TGlobal::TraceNote(const std::string &text)
{
    if (tracer_)
        tracer_->Model().TraceNote(text);
}

void TGlobal::TraceText(const std::string &text)
{
    if (tracer_)
        tracer_->Model().TraceText(text);
}

void TGlobal::TraceProblem(const std::string &text)
{
    if (tracer_)
        tracer_->Model().TraceProblem(text);
}

void TGlobal::TraceError(const std::string &text)
{
    if (tracer_)
        tracer_->Model().TraceError(text);
}

TGlobal &Global()
{
    static TGlobal *global = new TGlobal;
    return *global;
}

void StoreTextFont(const std::string &faceName, int32_t size)
{
    const TRegLink text(HKEY_CURRENT_USER, "\\Software\\KRT\\GORM 8.0\\Text");
    text.WriteString("FaceName", faceName);
    text.WriteInteger("Size", size);
}
