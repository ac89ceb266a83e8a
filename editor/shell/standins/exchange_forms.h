// The import and export dialogs of the exchange formats. Each carries the
// current map, the chosen file, the tool manager and the flag that asks for
// the map cleaner afterwards. In this form every dialog answers Cancel
// without showing, so nothing is imported or exported and no success is
// reported.
#pragma once

#include <QDialog>
#include <string>

class TPMap;
class TToolMgr;

class TImporterForm : public QDialog {
public:
    explicit TImporterForm(std::string libraryKey, QWidget *parent = nullptr)
        : QDialog(parent), libraryKey_(std::move(libraryKey))
    {
    }
    const std::string &LibraryKey() const { return libraryKey_; }

    TPMap *Map = nullptr;
    std::string FileName;
    TToolMgr *ToolMgr = nullptr;
    bool RunCleaner = true;

    // Shows the dialog modally: QDialog::Accepted, Rejected, or kRetry to
    // choose another file.
    virtual int Execute() { return QDialog::Rejected; }
    static constexpr int kRetry = 4;

private:
    std::string libraryKey_;
};

class TExporterForm : public QDialog {
public:
    explicit TExporterForm(std::string libraryKey, QWidget *parent = nullptr)
        : QDialog(parent), libraryKey_(std::move(libraryKey))
    {
    }
    const std::string &LibraryKey() const { return libraryKey_; }

    TPMap *Map = nullptr;

    virtual int Execute() { return QDialog::Rejected; }

private:
    std::string libraryKey_;
};
