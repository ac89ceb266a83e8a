// The file dialog of the converter service: a file dialog whose file types
// are the registered converters, with an "O&ption" button (1102) that runs
// the selected converter's options. Its state lives in a model that works
// without a window; the dialog runs through the platform's modal dialog
// call, so tests answer it through the modal dialog hook.
#pragma once

// First: the kernel's headers use a name that Qt's headers define as a macro.
#include "engine/kernel/kernel_types.h"
#include "engine/window/converters/converter_table.h"
#include "platform/types.h"

#include <QDialog>

#include <string>
#include <utility>
#include <vector>

class QFileDialog;
class QPushButton;

// A typed name holding "http://" is the address from there on (whatever
// folder the dialog put before it); any other name is kept.
std::string CleanTypedFileName(const std::string &typed);

class ConverterDialogModel {
public:
    // The size of the buffer the options entry may write a file name into.
    static constexpr uint32_t kOptionBufferSize = 4096;

    ConverterDialogModel(HWND map, ConverterKind kind, ConverterTable table);

    ConverterKind Kind() const { return kind_; }
    HWND Map() const { return map_; }
    const ConverterTable &Table() const { return table_; }
    // (description, pattern) per entry, in table order.
    std::vector<std::pair<std::string, std::string>> Filters() const;
    std::string FilterText() const { return ConverterFilterText(table_); }

    size_t SelectedType() const { return selected_; }
    const ConverterEntry &SelectedEntry() const { return table_.entries[selected_]; }
    // A file type was chosen; one beyond the table beeps and changes nothing.
    bool SelectType(size_t index);
    bool OptionEnabled() const { return SelectedEntry().hasOptions; }

    // The names chosen or typed, each cleaned as CleanTypedFileName does.
    void SetFileNames(const std::vector<std::string> &names);
    const std::vector<std::string> &FileNames() const { return files_; }

    // The "O&ption" button: the selected converter's options entry, called
    // with the dialog (or 0), the map window and a buffer that holds the
    // current file name; its text is the file name afterwards. The entry's
    // result; 0 when it could not be called. The module stays loaded.
    int PressOption(HWND dialog);

private:
    HWND map_;
    ConverterKind kind_;
    ConverterTable table_;
    size_t selected_;
    std::vector<std::string> files_;
};

class ConverterFileDialog : public QDialog {
public:
    static constexpr int kTemplateId = 0;
    static constexpr int kOptionButtonId = 1102;

    ConverterFileDialog(ConverterDialogModel &model, const std::string &title, QWidget *parent = nullptr);
    // IDOK with the model's file names set, or IDCANCEL.
    int DoModal();

    ConverterDialogModel &Model() { return model_; }
    QFileDialog *Files() { return files_; }

private:
    void showState();

    ConverterDialogModel &model_;
    QFileDialog *files_;
    QPushButton *option_;
};

// Runs the dialog; true when the user chose files (the model's selected
// entry and file names), false when it was cancelled.
bool RunConverterDialog(ConverterDialogModel &model, const std::string &title);
