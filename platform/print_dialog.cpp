#include "platform/print_dialog.h"

#include "platform/global_memory.h"
#include "platform/message_box.h" // IDOK
#include "platform/modal_dialog.h"
#include "platform/print_dc.h"
#include "platform/printer_devices.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QRadioButton>
#include <QSpinBox>
#include <cstring>

namespace {

thread_local DWORD lastError = 0;

BOOL fail(DWORD code)
{
    lastError = code;
    return FALSE;
}

struct Choice {
    std::string device;
    int paperIndex = -1; // into the printer's paper codes
    int16_t orientation = DMORIENT_PORTRAIT;
    bool selection = false;
    int copies = 1;
};

// Builds the dialog, runs it and reads the controls back.
bool runDialog(bool setup, const std::vector<printing::PrinterDescription> &printers, const DEVMODEA &mode,
               bool selectionAllowed, Choice *choice)
{
    QDialog dialog;
    dialog.setWindowTitle(setup ? QStringLiteral("Print Setup") : QStringLiteral("Print"));
    auto *form = new QFormLayout(&dialog);
    auto *printerList = new QComboBox(&dialog);
    SetDialogItemId(printerList, kPrinterListId);
    int current = 0;
    for (size_t i = 0; i < printers.size(); ++i) {
        printerList->addItem(QString::fromStdString(printers[i].device));
        if (printers[i].device == choice->device)
            current = int(i);
    }
    printerList->setCurrentIndex(current);
    form->addRow(QStringLiteral("&Name:"), printerList);
    QComboBox *paperList = nullptr;
    QRadioButton *portrait = nullptr, *landscape = nullptr, *all = nullptr, *selection = nullptr;
    QSpinBox *copies = nullptr;
    if (setup) {
        paperList = new QComboBox(&dialog);
        SetDialogItemId(paperList, kPaperListId);
        auto fillPapers = [&](int printer) {
            paperList->clear();
            const auto &p = printers[size_t(printer)];
            for (size_t i = 0; i < p.paperCodes.size(); ++i)
                paperList->addItem(i < p.paperNames.size() ? QString::fromStdString(p.paperNames[i])
                                                           : QString::number(p.paperCodes[i]));
        };
        fillPapers(current);
        const auto &codes = printers[size_t(current)].paperCodes;
        for (size_t i = 0; i < codes.size(); ++i)
            if (codes[i] == WORD(mode.dmPaperSize))
                paperList->setCurrentIndex(int(i));
        QObject::connect(printerList, &QComboBox::currentIndexChanged, paperList, fillPapers);
        form->addRow(QStringLiteral("Si&ze:"), paperList);
        portrait = new QRadioButton(QStringLiteral("P&ortrait"), &dialog);
        landscape = new QRadioButton(QStringLiteral("L&andscape"), &dialog);
        SetDialogItemId(portrait, kPortraitId);
        SetDialogItemId(landscape, kLandscapeId);
        (mode.dmOrientation == DMORIENT_LANDSCAPE ? landscape : portrait)->setChecked(true);
        form->addRow(portrait);
        form->addRow(landscape);
    } else {
        all = new QRadioButton(QStringLiteral("&All"), &dialog);
        selection = new QRadioButton(QStringLiteral("&Selection"), &dialog);
        SetDialogItemId(all, kAllPagesId);
        SetDialogItemId(selection, kSelectionId);
        all->setChecked(true);
        selection->setEnabled(selectionAllowed);
        form->addRow(all);
        form->addRow(selection);
        copies = new QSpinBox(&dialog);
        SetDialogItemId(copies, kCopiesId);
        copies->setRange(1, 999);
        copies->setValue(std::max<int>(1, mode.dmCopies));
        form->addRow(QStringLiteral("Number of &copies:"), copies);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);

    if (RunModalDialog(dialog, setup ? PRNSETUPDLGORD : PRINTDLGORD) != IDOK)
        return false;
    const int chosen = printerList->currentIndex();
    if (chosen < 0 || size_t(chosen) >= printers.size())
        return false;
    choice->device = printers[size_t(chosen)].device;
    if (paperList)
        choice->paperIndex = paperList->currentIndex();
    if (landscape)
        choice->orientation = landscape->isChecked() ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    if (selection)
        choice->selection = selection->isChecked() && selection->isEnabled();
    if (copies)
        choice->copies = copies->value();
    return true;
}

DEVMODEA readDevMode(HGLOBAL block)
{
    DEVMODEA m{};
    if (GlobalSize(block) >= sizeof(DEVMODEA))
        if (const void *p = GlobalLock(block)) {
            std::memcpy(&m, p, sizeof m);
            GlobalUnlock(block);
        }
    return m;
}

} // namespace

DWORD CommDlgExtendedError() { return lastError; }

BOOL PrintDlgA(PRINTDLGA *request)
{
    lastError = 0;
    if (!request || request->lStructSize < sizeof(PRINTDLGA))
        return fail(CDERR_INITIALIZATION);
    if (request->Flags & PD_RETURNDEFAULT) {
        if (request->hDevMode || request->hDevNames)
            return fail(CDERR_INITIALIZATION);
        HGLOBAL mode = 0, names = 0;
        if (!GetDefaultPrinterBlocks(&mode, &names))
            return fail(PDERR_NODEFAULTPRN);
        request->hDevMode = mode;
        request->hDevNames = names;
        return TRUE;
    }
    const std::vector<printing::PrinterDescription> printers = printing::AllPrinters();
    if (printers.empty())
        return fail(PDERR_NODEFAULTPRN);

    PrinterNames current;
    const bool hasCurrent = ReadDevNamesBlock(request->hDevNames, &current);
    if (!hasCurrent) {
        HGLOBAL mode = 0, names = 0;
        if (GetDefaultPrinterBlocks(&mode, &names))
            ReadDevNamesBlock(names, &current);
        GlobalFree(mode);
        GlobalFree(names);
    }
    DEVMODEA mode = readDevMode(request->hDevMode);
    Choice choice;
    choice.device = current.device;
    if (!runDialog(request->Flags & PD_PRINTSETUP, printers, mode, !(request->Flags & PD_NOSELECTION),
                   &choice))
        return FALSE;

    const printing::PrinterDescription *printer = nullptr;
    for (const auto &p : printers)
        if (p.device == choice.device)
            printer = &p;
    if (!printer)
        return FALSE;
    // The same printer keeps its device mode and port; another starts from
    // its own defaults.
    const bool samePrinter = printer->device == current.device && mode.dmSize != 0;
    HGLOBAL newMode = samePrinter ? 0 : CreateDefaultDevModeBlock(printer->device.c_str());
    if (samePrinter) {
        newMode = GlobalAlloc(GHND, sizeof(DEVMODEA));
        if (void *p = GlobalLock(newMode)) {
            std::memcpy(p, &mode, sizeof mode);
            GlobalUnlock(newMode);
        }
    }
    auto *m = static_cast<DEVMODEA *>(GlobalLock(newMode));
    if (!m) {
        GlobalFree(newMode);
        return fail(CDERR_INITIALIZATION);
    }
    if (request->Flags & PD_PRINTSETUP) {
        if (choice.paperIndex >= 0 && size_t(choice.paperIndex) < printer->paperCodes.size())
            m->dmPaperSize = int16_t(printer->paperCodes[size_t(choice.paperIndex)]);
        m->dmOrientation = choice.orientation;
    } else {
        m->dmCopies = int16_t(choice.copies);
    }
    const DEVMODEA chosenMode = *m;
    GlobalUnlock(newMode);
    const std::string port = samePrinter && !current.port.empty() ? current.port : printer->port;
    HGLOBAL newNames = CreateDevNamesBlock(printer->driver.c_str(), printer->device.c_str(), port.c_str(),
                                           current.isDefault && samePrinter);
    if (!newNames) {
        GlobalFree(newMode);
        return fail(CDERR_INITIALIZATION);
    }
    HDC dc = 0;
    if (request->Flags & PD_RETURNDC) {
        dc = CreateDCA(printer->driver.c_str(), printer->device.c_str(), port.c_str(), &chosenMode);
        if (!dc) {
            GlobalFree(newMode);
            GlobalFree(newNames);
            return fail(PDERR_CREATEICFAILURE);
        }
    }
    if (request->hDevMode != newMode)
        GlobalFree(request->hDevMode);
    if (request->hDevNames != newNames)
        GlobalFree(request->hDevNames);
    request->hDevMode = newMode;
    request->hDevNames = newNames;
    request->hDC = dc;
    request->nCopies = WORD(choice.copies);
    request->Flags = choice.selection ? (request->Flags | PD_SELECTION) : (request->Flags & ~PD_SELECTION);
    return TRUE;
}
