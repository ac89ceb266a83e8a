// A projection module of its own, as an automation object (KrtProjection):
// loaded by file name, set up by its parameter text or its dialog, chosen
// through the engine's projection dialogs, and converting points both ways.
#pragma once

#include "engine/view/projection/projection_manager.h"
#include "platform/automation_dispatch.h"
#include "platform/automation_server.h"

#include <memory>
#include <string>

class KrtProjection : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    KrtProjection();

    // A module name without a folder is looked for beside this library.
    static std::string FullModulePath(const std::string &path);

    void SetInitialString(const std::string &text);
    void SetPath(const std::string &path);
    // Scales and parameter text again, after a unit or system changed.
    void Update();
    std::string Name();
    int32_t Setup(HWND parent);
    bool SelectProjection(HWND parent);
    // Converts the point of the first object into the second one; 0 without
    // both objects or a module.
    int32_t Convert(IDispatch *from, IDispatch *to, bool forward);
    std::string ModuleFile() const;
    std::string ParameterText();

    std::string initialString;
    std::string path;
    ProjectionTag tag{};

protected:
    ~KrtProjection() override;

private:
    // Runs the module's parameter text set-up when a module is loaded.
    void ApplyInitialString();
    ModuleLock lock_;
};

// Options of the image export: JPEG quality, PNG mode and compression, and
// whether the picture shows the details as the control's window does.
class KrtExportParameters : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table();
    KrtExportParameters();

    int32_t jpgCompressionDegree = 100;
    int32_t pngExportMode = 0;
    int32_t pngCompressionLevel = 0;
    bool detailsLikeInOcxWindow = true;

    // The four 16-bit values the engine's export takes, in its order.
    void ToEngine(int16_t out[4]) const;

protected:
    ~KrtExportParameters() override;

private:
    ModuleLock lock_;
};

KrtExportParameters *AsKrtExportParameters(IDispatch *object);
