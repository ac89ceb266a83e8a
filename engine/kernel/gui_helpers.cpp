#include "engine/kernel/gui_helpers.h"

#include "engine/kernel/module_startup.h"
#include "engine/kernel/object_store.h"
#include "engine/kernel/window_record.h"
#include "platform/clipboard.h"
#include "platform/file_dialog.h"
#include "platform/global_memory.h"
#include "platform/window.h"

#include <cstring>
#include <filesystem>
#include <new>
#include <string>

namespace {

constexpr UINT kIniFilterString = 797;
constexpr UINT kIniTitleString = 798;
constexpr const char *kIniFilter = "Initialization files (*.ini)|*.ini|All (*.*)|*.*";
constexpr const char *kIniTitle = "Browsing the initialization file";

// Clipboard checks run while another program may hold the clipboard: try a
// few times, then give up rather than wait for it.
constexpr int kClipboardAttempts = 5;
constexpr int kClipboardIntervalMs = 20;

} // namespace

int DirFromPath(char *path)
{
    if (!path)
        return 0;
    const size_t cut = std::string_view(path).find_last_of("\\/:");
    const size_t length = cut == std::string_view::npos ? 0 : cut + 1;
    path[length] = 0;
    return int(length);
}

int BrowseIniFile(HWND owner, int controlId, const char *initialPath, const char *title, const char *filter,
                  char *out, int outSize)
{
    (void)controlId;
    FileDialogRequest request;
    request.owner = owner;
    request.title = title && *title ? std::string(title) : LoadStringMapOr(kIniTitleString, kIniTitle);
    request.filters = ParseFileFilter(filter && *filter ? std::string(filter)
                                                        : LoadStringMapOr(kIniFilterString, kIniFilter));
    request.initialPath = initialPath ? initialPath : "";
    request.flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;

    // The dialog must not leave the process in another folder.
    std::error_code ec;
    const std::filesystem::path cwd = std::filesystem::current_path(ec);
    const std::optional<std::string> chosen = ShowOpenFileDialog(request);
    if (!ec)
        std::filesystem::current_path(cwd, ec);
    if (!chosen)
        return 0;
    if (out && outSize >= 1) {
        if (chosen->size() >= size_t(outSize))
            return 0;
        std::memcpy(out, chosen->c_str(), chosen->size() + 1);
    }
    return 1;
}

HWND GetMdiClientWnd() { return 0; }

int TextStartsWithNumber(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    auto digit = [&](size_t k) { return k < text.size() && text[k] >= '0' && text[k] <= '9'; };
    if (digit(i))
        return 1;
    return i < text.size() && (text[i] == '+' || text[i] == '-') && digit(i + 1) ? 1 : 0;
}

int TabTextTableScan(const char *text, size_t length, int *rows, int *columns, int *header)
{
    int rowCount = 0, columnCount = 0, cellsInRow = 0;
    bool headerRow = true, consistent = true;
    std::string cell;
    bool rowStarted = false; // the row has a character or a TAB

    auto endCell = [&] {
        if (rowCount == 0 && TextStartsWithNumber(cell))
            headerRow = false;
        ++cellsInRow;
        cell.clear();
    };
    auto endRow = [&] {
        endCell();
        if (rowCount == 0)
            columnCount = cellsInRow;
        else if (cellsInRow != columnCount)
            consistent = false;
        ++rowCount;
        cellsInRow = 0;
        rowStarted = false;
    };

    for (size_t i = 0; text && i < length && text[i] && consistent; ++i) {
        const char c = text[i];
        if (c == '\t') {
            endCell();
            rowStarted = true;
        } else if (c == '\r') {
            // a CR LF pair ends its row at the LF
        } else if (c == '\n') {
            if (rowStarted)
                endRow();
        } else {
            cell += c;
            rowStarted = true;
        }
    }
    if (consistent && !cell.empty())
        endRow();

    if (rows)
        *rows = rowCount;
    if (columns)
        *columns = columnCount;
    if (header)
        *header = rowCount > 1 && headerRow ? 1 : 0;
    return consistent && rowCount >= 1 && columnCount >= 2 ? 1 : 0;
}

int ClipboardLinkTextAvailable()
{
    if (!IsClipboardFormatAvailable(CF_TEXT) ||
        !OpenClipboardRetry(0, kClipboardAttempts, kClipboardIntervalMs))
        return 0;
    int result = 0;
    if (const HGLOBAL data = GetClipboardData(CF_TEXT)) {
        if (const char *text = static_cast<const char *>(GlobalLock(data))) {
            result = TabTextTableScan(text, GlobalSize(data), nullptr, nullptr, nullptr);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return result;
}

int newGUI(HWND window, _GUI **record)
{
    if (!IsWindow(window) || !record)
        return 0;
    _GUI *gui = new (std::nothrow) _GUI{};
    if (!gui)
        return 0;
    gui->displayOptions = 0;
    ReadGormIni(0, gui);
    *record = gui;
    return 1;
}

int deleteGUI(_GUI *record)
{
    if (!record)
        return 0;
    delete record;
    return 1;
}
