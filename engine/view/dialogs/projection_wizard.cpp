#include "engine/view/dialogs/projection_wizard.h"

#include "engine/kernel/module_startup.h"
#include "engine/kernel/settings.h"
#include "engine/view/projection/datum_table.h"
#include "engine/window/map_notifications.h"
#include "platform/global_memory.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/text_codec.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>
#include <cstring>
#include <functional>
#include <strings.h>

namespace {

// Page end codes: the identifiers of the buttons that end a page.
constexpr int kFinish = 1193;
constexpr int kStepFinish = 1231;
constexpr int kNext = 1227;
constexpr int kBack = 1228;
constexpr int kNew = 1194;
constexpr int kEdit = 1195;
constexpr int kDelete = 1196;
constexpr int kHelp = 1072;

// The six stored values, in order.
constexpr const char *kValueNames[6] = {"1", "2", "3", "4", "Setup1", "Setup2"};

std::string str(unsigned id, const char *fallback)
{
    char buffer[128] = {};
    return LoadStringMap(id, buffer, int(sizeof buffer)) > 0 ? std::string(buffer) : fallback;
}

std::string noneText() { return str(30, "< None >"); }
std::string voidText() { return str(807, "< VOID >"); }

std::string schemeKey(const std::string &name) { return std::string(kSchemesKey) + "\\" + name; }

std::string *fieldOf(ProjectionScheme &s, int value)
{
    std::string *fields[6] = {&s.fromDatum, &s.toDatum, &s.projection1, &s.projection2, &s.setup1, &s.setup2};
    return fields[value];
}

template <class W>
W *item(W *w, int id)
{
    SetDialogItemId(w, id);
    return w;
}

} // namespace

// ---------------------------------------------------------------------------

int SchemeDatumRow(const std::string &name)
{
    const DatumInfo *table = DatumTable();
    for (int row = 0; row < kDatumRowCount && table[row].name[0]; ++row)
        if (std::string(table[row].name, strnlen(table[row].name, sizeof table[row].name)) == name)
            return row;
    return -1;
}

ProjectionScheme DefaultProjectionScheme()
{
    ProjectionScheme s;
    s.name = kDefaultSchemeName;
    s.fromDatum = "WGS-84";
    s.toDatum = "European_1950";
    s.projection1 = "Universal Transverse Mercator (UTM)";
    s.setup1 = "zone=32";
    s.projection2 = "Dansk System For Landm\xe5ling";
    s.fromRow = SchemeDatumRow(s.fromDatum);
    s.toRow = SchemeDatumRow(s.toDatum);
    return s;
}

ProjectionScheme EmptyProjectionScheme()
{
    ProjectionScheme s;
    s.name = s.fromDatum = s.toDatum = noneText();
    s.projection1 = s.projection2 = NoProjectionText();
    return s;
}

std::vector<std::string> StoredSchemeNames()
{
    std::vector<std::string> names;
    char name[257];
    for (DWORD i = 0; RegKeyGet(kSchemesKey, i, name, sizeof name); ++i)
        names.emplace_back(name);
    return names;
}

bool ReadProjectionScheme(const std::string &name, ProjectionScheme &scheme)
{
    if (name.empty() || name.find('\\') != std::string::npos)
        return false;
    bool any = false;
    for (int v = 0; v < 6; ++v) {
        char buffer[261] = {};
        if (RegStringGet(schemeKey(name).c_str(), kValueNames[v], buffer, sizeof buffer)) {
            *fieldOf(scheme, v) = buffer;
            any = true;
        }
    }
    return any;
}

size_t SchemeNameKeyMax()
{
    return GORM_REG_PATH_MAX - 1 - (std::strlen(GORM_REG_PATH) + 1 + std::strlen(kSchemesKey) + 1);
}

bool IsStorableSchemeName(const std::string &name)
{
    return !name.empty() && name.find('\\') == std::string::npos && name.size() <= SchemeNameKeyMax();
}

int StoreProjectionScheme(const ProjectionScheme &scheme)
{
    if (!IsStorableSchemeName(scheme.name))
        return 0;
    const std::string key = schemeKey(scheme.name);
    ProjectionScheme copy = scheme;
    for (int v = 0; v < 6; ++v)
        if (!m_RegValueSet(key.c_str(), kValueNames[v], fieldOf(copy, v)->c_str()))
            return 0;
    return 1;
}

bool DeleteProjectionScheme(const std::string &name)
{
    if (name.empty() || name.find('\\') != std::string::npos)
        return false;
    return RegKeyDel(kSchemesKey, name.c_str()) != 0;
}

// ---------------------------------------------------------------------------

std::vector<std::string> ProjectionWizardModel::ChoiceEntries() const
{
    std::vector<std::string> entries{noneText()};
    for (const std::string &n : StoredSchemeNames())
        entries.push_back(n);
    if (entries.size() < 2)
        entries.push_back(kDefaultSchemeName);
    std::stable_sort(entries.begin(), entries.end(), [](const std::string &a, const std::string &b) {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    });
    return entries;
}

int ProjectionWizardModel::ChoicePosition(const std::vector<std::string> &entries) const
{
    const auto at = std::find(entries.begin(), entries.end(), scheme.name);
    return at == entries.end() ? 0 : int(at - entries.begin());
}

void ProjectionWizardModel::ShowChoice(const std::string &entry)
{
    const std::vector<std::string> stored = StoredSchemeNames();
    if (entry == kDefaultSchemeName && std::find(stored.begin(), stored.end(), entry) == stored.end()) {
        scheme = DefaultProjectionScheme();
    } else if (entry == noneText()) {
        scheme = EmptyProjectionScheme();
    } else {
        scheme.name = entry;
        ReadProjectionScheme(entry, scheme);
        scheme.fromRow = SchemeDatumRow(scheme.fromDatum);
        scheme.toRow = SchemeDatumRow(scheme.toDatum);
    }
}

bool ProjectionWizardModel::CanEditChoice() const { return scheme.name != noneText(); }

void ProjectionWizardModel::DeleteChoice() { DeleteProjectionScheme(scheme.name); }

std::map<int, std::string> ProjectionWizardModel::ChoiceInformation() const
{
    const bool shift = scheme.fromDatum != scheme.toDatum;
    const std::string from = str(800, "From :"), to = str(799, "To :"), v = voidText();
    auto proj = [&](const std::string &p) { return p == NoProjectionText() ? v : p; };
    return {
        {1246, shift ? str(805, "Datum shift ") : ""},
        {1229, shift ? from + " " + scheme.fromDatum : from},
        {1230, shift ? to + " " + scheme.toDatum : scheme.toDatum},
        {1231, to + " " + proj(scheme.projection1)},
        {1232, to + " " + proj(scheme.projection2)},
    };
}

std::vector<std::string> ProjectionWizardModel::DatumNames()
{
    std::vector<std::string> names;
    const DatumInfo *table = DatumTable();
    for (int row = 0; row < kDatumRowCount && table[row].name[0]; ++row)
        names.emplace_back(table[row].name, strnlen(table[row].name, sizeof table[row].name));
    return names;
}

void ProjectionWizardModel::ChooseFromDatum(int row)
{
    const std::vector<std::string> names = DatumNames();
    if (row < 0 || row >= int(names.size()))
        return;
    scheme.fromRow = row;
    scheme.fromDatum = names[size_t(row)];
}

void ProjectionWizardModel::ChooseToDatum(int row)
{
    const std::vector<std::string> names = DatumNames();
    if (row < 0 || row >= int(names.size()))
        return;
    scheme.toRow = row;
    scheme.toDatum = names[size_t(row)];
}

std::string ProjectionWizardModel::moduleName() const
{
    if (!ctx_.work->hLib)
        return "";
    char name[128] = {};
    ctx_.identify(ctx_.work, name, int(sizeof name));
    return name;
}

std::string ProjectionWizardModel::pathOf(const std::string &name) const
{
    for (const auto &[n, path] : ProjectionListEntries(ctx_.projectionList))
        if (n == name)
            return path;
    return "";
}

std::vector<std::string> ProjectionWizardModel::ProjectionEntries(int step)
{
    std::vector<std::string> entries{voidText()};
    const std::string &wanted = step == 2 ? scheme.projection1 : scheme.projection2;
    int &position = step == 2 ? scheme.position1 : scheme.position2;
    position = 0;
    for (const auto &[listed, path] : ProjectionListEntries(ctx_.projectionList)) {
        ctx_.free(ctx_.work);
        if (!ctx_.load(path.c_str(), ctx_.work))
            continue;
        const std::string name = moduleName();
        tagProjInfo info{};
        ctx_.getInfo(ctx_.work, &info);
        ctx_.free(ctx_.work);
        if (step == 3 && (info.baseKind != CS_CARTESIAN || name.find("Dansk") == std::string::npos))
            continue;
        entries.push_back(name);
        if (name == wanted)
            position = int(entries.size()) - 1;
    }
    return entries;
}

void ProjectionWizardModel::ChooseProjection(int step, int position, const std::string &text)
{
    const std::string name = position == 0 ? NoProjectionText() : text;
    (step == 2 ? scheme.projection1 : scheme.projection2) = name;
    (step == 2 ? scheme.position1 : scheme.position2) = position;
    if (position == 0) {
        ctx_.free(ctx_.work);
        return;
    }
    const std::string path = pathOf(name);
    if (path.empty())
        return;
    ProjectionTag trial;
    ctx_.init(&trial);
    if (!ctx_.load(path.c_str(), &trial))
        return; // the work record stays as it was
    ctx_.free(ctx_.work);
    ctx_.copy(ctx_.work, &trial);
    ctx_.free(&trial);
}

std::string ProjectionWizardModel::ShownProjection(int step)
{
    const std::string name = moduleName();
    if (name.empty()) {
        (step == 2 ? scheme.projection1 : scheme.projection2) = NoProjectionText();
        return voidText();
    }
    if (step == 2)
        scheme.projection1 = name;
    return name;
}

bool ProjectionWizardModel::CanSetup() const { return ctx_.WorkHasSetup(); }

void ProjectionWizardModel::Setup(int step)
{
    if (!ctx_.work->hLib)
        return;
    ctx_.setup(ctx_.window, ctx_.work);
    tagProjInfo info{};
    if (ctx_.getInfo(ctx_.work, &info))
        (step == 2 ? scheme.setup1 : scheme.setup2) =
            std::string(info.text, strnlen(info.text, sizeof info.text));
}

std::map<int, std::string> ProjectionWizardModel::StepInformation(int) const
{
    const bool shift = scheme.fromDatum != scheme.toDatum;
    auto proj = [&](const std::string &p) { return p == NoProjectionText() ? voidText() : p; };
    return {
        {1236, shift ? str(809, "Step 1, Datum Shift : ") : str(819, "Step 1, From Datum :")},
        {1237, shift ? str(800, "From :") + scheme.fromDatum : scheme.fromDatum},
        {1238, shift ? str(799, "To :") + scheme.toDatum : ""},
        {1239, str(810, "Step 2, Projection 1 : ")},
        {1240, proj(scheme.projection1)},
        {1241, str(811, "Step 3, Projection 2 : ")},
        {1242, proj(scheme.projection2)},
        {1243, str(812, "Step 4, Scheme name : ")},
        {1244, scheme.name},
    };
}

// ---------------------------------------------------------------------------

namespace {

// One wizard page: a modal dialog named by its template, ended by the
// identifier of the button that closed it.
class WizardPage : public QDialog {
public:
    WizardPage(int templateId, const std::string &title) : templateId_(templateId)
    {
        setObjectName(QString::number(templateId));
        setWindowTitle(FromWindows1252(title));
        layout_ = new QVBoxLayout(this);
    }
    QVBoxLayout *body() { return layout_; }
    QPushButton *button(const char *text, int id, bool ends = true)
    {
        auto *b = item(new QPushButton(QString::fromLatin1(text)), id);
        if (ends)
            connect(b, &QPushButton::clicked, this, [this, id] {
                if (beforeEnd)
                    beforeEnd(id);
                done(id);
            });
        return b;
    }
    // Information texts, by control id.
    QGroupBox *information(int groupId, const std::vector<int> &ids)
    {
        auto *box = item(new QGroupBox(FromWindows1252(str(801, "Information :"))), groupId);
        auto *l = new QVBoxLayout(box);
        for (int id : ids) {
            auto *label = item(new QLabel, id);
            l->addWidget(label);
            labels_[id] = label;
        }
        return box;
    }
    void showInformation(const std::map<int, std::string> &texts)
    {
        for (const auto &[id, text] : texts)
            if (auto it = labels_.find(id); it != labels_.end())
                it->second->setText(FromWindows1252(text));
    }
    int run() { return RunModalDialog(*this, templateId_); }

    std::function<void(int)> beforeEnd;

private:
    int templateId_;
    QVBoxLayout *layout_;
    std::map<int, QLabel *> labels_;
};

class Wizard {
public:
    Wizard(ProjectionWizardModel &m, HWND window, bool embedded) : m_(m), window_(window), embedded_(embedded)
    {
    }

    int choicePage()
    {
        WizardPage page(168, str(817, "Projection Wizard - Which projection?"));
        page.body()->addWidget(item(new QLabel(FromWindows1252(str(802, "Select projection scheme"))), 1199));
        auto *list = item(new QListWidget, 1198);
        page.body()->addWidget(list);
        auto *actions = new QHBoxLayout;
        QPushButton *edit = page.button("Edit ...", kEdit);
        QPushButton *del = page.button("Delete", kDelete, false);
        actions->addWidget(page.button("New ...", kNew));
        actions->addWidget(edit);
        actions->addWidget(del);
        page.body()->addLayout(actions);
        page.body()->addWidget(page.information(1245, {1246, 1229, 1230, 1231, 1232}));
        auto *nav = new QHBoxLayout;
        QPushButton *back = page.button("< Back", kBack);
        auto *next = page.button("Next >", kNext, false);
        for (QPushButton *b : {back, next, page.button("Finish", kFinish), page.button("Cancel", IDCANCEL)})
            nav->addWidget(b);
        auto *help = page.button("Help", kHelp, false);
        nav->addWidget(help);
        page.body()->addLayout(nav);
        back->setVisible(embedded_);
        next->setVisible(embedded_);

        auto fill = [&] {
            const QSignalBlocker block(list);
            list->clear();
            const std::vector<std::string> entries = m_.ChoiceEntries();
            for (const std::string &e : entries)
                list->addItem(FromWindows1252(e));
            list->setCurrentRow(m_.ChoicePosition(entries));
        };
        auto show = [&] {
            if (QListWidgetItem *current = list->currentItem())
                m_.ShowChoice(ToWindows1252(current->text()));
            edit->setEnabled(m_.CanEditChoice());
            del->setEnabled(m_.CanEditChoice());
            page.showInformation(m_.ChoiceInformation());
        };
        fill();
        show();
        QObject::connect(list, &QListWidget::currentRowChanged, &page, [&] { show(); });
        QObject::connect(del, &QPushButton::clicked, &page, [&] {
            m_.DeleteChoice();
            m_.scheme.name.clear();
            fill();
            list->setCurrentRow(0);
            show();
        });
        QObject::connect(next, &QPushButton::clicked, &page,
                         [&] { page.done(m_.scheme.name == noneText() ? kFinish : kNext); });
        QObject::connect(help, &QPushButton::clicked, &page, [this] { GormF1Help(window_, 1727); });
        return page.run();
    }

    int stepPage(int step)
    {
        static const char *titles[] = {"Projection Wizard - Datum Shift ( Step 1 of 4 )",
                                       "Projection Wizard - Projection 1 ( Step 2 of 4 )",
                                       "Projection Wizard - Projection 2 ( Step 3 of 4 )",
                                       "Projection Wizard - Sheme name ( Step 4 of 4 )"};
        WizardPage page(168 + step, str(unsigned(812 + step), titles[step - 1]));
        QComboBox *from = nullptr, *to = nullptr, *projections = nullptr;
        QPushButton *setup = nullptr;
        QLineEdit *name = nullptr;
        auto *form = new QGridLayout;
        if (step == 1) {
            form->addWidget(item(new QLabel(FromWindows1252(str(803, "From Datum : "))), 1201), 0, 0);
            form->addWidget(from = item(new QComboBox, 1203), 0, 1);
            form->addWidget(item(new QLabel(FromWindows1252(str(804, "To Datum :"))), 1202), 1, 0);
            form->addWidget(to = item(new QComboBox, 1204), 1, 1);
            for (const std::string &n : ProjectionWizardModel::DatumNames()) {
                from->addItem(FromWindows1252(n));
                to->addItem(FromWindows1252(n));
            }
        } else if (step <= 3) {
            const std::string label = str(806, "Projection") + (step == 2 ? " 1 : " : " 2 :");
            form->addWidget(item(new QLabel(FromWindows1252(label)), 1216), 0, 0);
            form->addWidget(projections = item(new QComboBox, 1233), 0, 1);
            form->addWidget(setup = page.button("Setup", 1207, false), 0, 2);
            for (const std::string &n : m_.ProjectionEntries(step))
                projections->addItem(FromWindows1252(n));
        } else {
            form->addWidget(item(new QLabel(FromWindows1252(str(818, "Projection Scheme name :"))), 1234), 0,
                            0);
            form->addWidget(name = item(new QLineEdit, 1235), 0, 1);
            // Only a name that can be stored can finish the scheme.
            name->setMaxLength(int(SchemeNameKeyMax()));
            name->setText(FromWindows1252(m_.scheme.name));
        }
        page.body()->addLayout(form);
        page.body()->addWidget(
            page.information(1211, {1236, 1237, 1238, 1239, 1240, 1241, 1242, 1243, 1244}));
        auto *nav = new QHBoxLayout;
        QPushButton *next = page.button("Next >", kNext);
        QPushButton *finish = page.button("Finish", kStepFinish);
        auto *help = page.button("Help", kHelp, false);
        for (QPushButton *b :
             {page.button("< Back", kBack), next, finish, page.button("Cancel", IDCANCEL), help})
            nav->addWidget(b);
        page.body()->addLayout(nav);
        next->setEnabled(step < 4);
        static const int topics[] = {1729, 1730, 1731, 1732};
        QObject::connect(help, &QPushButton::clicked, &page,
                         [this, step] { GormF1Help(window_, topics[step - 1]); });

        auto info = [&] { page.showInformation(m_.StepInformation(step)); };
        auto showProjection = [&] {
            const QSignalBlocker block(projections);
            projections->setCurrentIndex(projections->findText(FromWindows1252(m_.ShownProjection(step))));
            setup->setEnabled(m_.CanSetup());
            info();
        };
        if (step == 1) {
            from->setCurrentIndex(m_.scheme.fromRow);
            to->setCurrentIndex(m_.scheme.toRow);
            m_.ChooseFromDatum(from->currentIndex());
            m_.ChooseToDatum(to->currentIndex());
            QObject::connect(from, &QComboBox::currentIndexChanged, &page, [&](int row) {
                m_.ChooseFromDatum(row);
                info();
            });
            QObject::connect(to, &QComboBox::currentIndexChanged, &page, [&](int row) {
                m_.ChooseToDatum(row);
                info();
            });
            info();
        } else if (step <= 3) {
            const int position = step == 2 ? m_.scheme.position1 : m_.scheme.position2;
            projections->setCurrentIndex(position);
            m_.ChooseProjection(step, position, ToWindows1252(projections->currentText()));
            showProjection();
            QObject::connect(projections, &QComboBox::currentIndexChanged, &page, [&](int row) {
                m_.ChooseProjection(step, row, ToWindows1252(projections->currentText()));
                showProjection();
            });
            QObject::connect(setup, &QPushButton::clicked, &page, [&] {
                m_.Setup(step);
                showProjection();
            });
        } else {
            QObject::connect(name, &QLineEdit::textChanged, &page, [&](const QString &text) {
                m_.SetName(ToWindows1252(text));
                finish->setEnabled(IsStorableSchemeName(m_.scheme.name));
                info();
            });
            finish->setEnabled(IsStorableSchemeName(ToWindows1252(name->text())));
            page.beforeEnd = [&](int) { m_.SetName(ToWindows1252(name->text())); };
            info();
        }
        return page.run();
    }

    // Steps 1 to 4: -1 cancelled, 0 finished, kBack out of step 1.
    int steps()
    {
        int step = 1;
        for (;;) {
            const int r = stepPage(step);
            if (r == kStepFinish)
                return 0;
            if (r == kBack) {
                if (step == 1)
                    return kBack;
                --step;
            } else if (r == kNext && step < 4) {
                ++step;
            } else if (r != kNext) {
                return -1;
            }
        }
    }

private:
    ProjectionWizardModel &m_;
    HWND window_;
    bool embedded_;
};

} // namespace

int ProjectionWizard(HWND window, char *name, int embedded)
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return -1;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ProjectionTag work;
    ProjMan_InitProjection(&work);
    ProjMan_SetDefaultUnits(&work);
    const HGLOBAL list = ProjMan_GetProjectionList();
    ProjectionDialogContext ctx;
    ctx.window = window;
    ctx.projectionList = list ? static_cast<const char *>(GlobalLock(list)) : nullptr;
    ctx.work = &work;
    ctx.resources = MapInstance();

    ProjectionWizardModel model(ctx);
    if (name)
        model.scheme.name.assign(name, strnlen(name, kSchemeNameMax));
    Wizard wizard(model, window, embedded != 0);
    int result = -1;
    bool store = false;
    for (;;) {
        const int r = wizard.choicePage();
        if (r == kFinish) {
            result = 0;
            break;
        }
        if (embedded && (r == kNext || r == kBack)) {
            result = r == kNext ? 1 : 2;
            break;
        }
        if (r == kEdit || r == kNew) {
            if (r == kEdit && model.scheme.name == kDefaultSchemeName)
                continue;
            if (r == kNew)
                model.scheme.name += "_1";
            const int s = wizard.steps();
            if (s == kBack)
                continue;
            result = s;
            // A finished scheme is kept, new or changed, under its name.
            store = s == 0;
            break;
        }
        result = -1; // Cancel
        break;
    }
    if (store && model.scheme.name != noneText())
        StoreProjectionScheme(model.scheme);
    if (name) {
        const size_t n = std::min(model.scheme.name.size(), kSchemeNameMax);
        std::memcpy(name, model.scheme.name.data(), n);
        name[n] = 0;
    }
    ProjMan_FreeProjection(&work);
    if (list) {
        GlobalUnlock(list);
        GlobalFree(list);
    }
    QApplication::restoreOverrideCursor();
    return result;
}
