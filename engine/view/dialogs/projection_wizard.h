// Projection schemes and the projection wizard. A scheme names a chain from
// geographic positions to map coordinates: a datum shift, then up to two
// projection modules with their parameter texts. Schemes are stored by name
// under "Presentations\Schemes" of the engine settings; the wizard picks
// one, or makes or changes one in four steps, and hands its name back.
#pragma once

// First: the kernel's headers use a name that Qt's headers define as a macro.
#include "engine/kernel/kernel_types.h"
#include "engine/view/dialogs/projections_dialog.h"
#include "platform/types.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

// The longest scheme name the wizard hands back (the callers keep the name
// in 128 characters with its terminator).
inline constexpr size_t kSchemeNameMax = 127;
inline constexpr const char *kSchemesKey = "Presentations\\Schemes";
inline constexpr const char *kDefaultSchemeName = "Default Scheme";

struct ProjectionScheme {
    int fromRow = 0, toRow = 0;
    int position1 = 0, position2 = 0;
    std::string name;
    std::string fromDatum, toDatum;
    std::string projection1, projection2;
    std::string setup1, setup2;
};

// The built-in default (its datum rows looked up by name) and the empty
// scheme "< None >".
ProjectionScheme DefaultProjectionScheme();
ProjectionScheme EmptyProjectionScheme();
// The row of an exact datum name among the rows up to the first empty one;
// -1 when absent.
int SchemeDatumRow(const std::string &name);

// The stored schemes' names, in the registry's order.
std::vector<std::string> StoredSchemeNames();
// The longest name whose key path still fits the registry's 128 characters.
size_t SchemeNameKeyMax();
// A name that can be stored: not empty, no backslash, not too long.
bool IsStorableSchemeName(const std::string &name);
// Reads the six values; a value that cannot be read leaves its field. False
// when the scheme's key cannot be opened.
bool ReadProjectionScheme(const std::string &name, ProjectionScheme &scheme);
// Writes the six values, stopping at the first that fails: 1 when all were
// written. A name that is empty, holds a backslash or makes a key path too
// long for the registry is not stored (0).
int StoreProjectionScheme(const ProjectionScheme &scheme);
bool DeleteProjectionScheme(const std::string &name);

// The wizard's pages, without windows.
class ProjectionWizardModel {
public:
    explicit ProjectionWizardModel(ProjectionDialogContext &ctx) : ctx_(ctx) {}

    ProjectionScheme scheme;

    // Choice page: "< None >" and the stored schemes, sorted, with "Default
    // Scheme" while fewer than two are listed; the entry to select.
    std::vector<std::string> ChoiceEntries() const;
    int ChoicePosition(const std::vector<std::string> &entries) const;
    // Shows an entry: loads the scheme it names.
    void ShowChoice(const std::string &entry);
    bool CanEditChoice() const;
    // Deletes the scheme shown (its key); the caller shows the first entry.
    void DeleteChoice();
    // The choice page's information texts by control id.
    std::map<int, std::string> ChoiceInformation() const;

    // Step 1: the datum names in table order; a chosen row.
    static std::vector<std::string> DatumNames();
    void ChooseFromDatum(int row);
    void ChooseToDatum(int row);

    // Steps 2 and 3 (step 2 or 3): "< VOID >" and the names of the modules
    // offered; the scheme's position among them.
    std::vector<std::string> ProjectionEntries(int step);
    void ChooseProjection(int step, int position, const std::string &text);
    // What the step's list shows now: the work record's module name, or
    // "< VOID >" (the scheme's projection then becomes " < No Projection >").
    std::string ShownProjection(int step);
    bool CanSetup() const;
    void Setup(int step);

    // Step 4.
    void SetName(const std::string &name) { scheme.name = name; }

    // The steps' information texts by control id (step 1 to 4).
    std::map<int, std::string> StepInformation(int step) const;

    ProjectionDialogContext &Context() { return ctx_; }

private:
    std::string moduleName() const;
    std::string pathOf(const std::string &name) const;

    ProjectionDialogContext &ctx_;
};

// Runs the wizard. name: in, the scheme to preselect; out, the scheme shown
// at the end (at most kSchemeNameMax characters and a terminator).
// embedded: the choice page also offers "< Back" and "Next >". The result:
// -1 cancelled, 0 finished, 1 "Next >", 2 "< Back".
int ProjectionWizard(HWND window, char *name, int embedded);
