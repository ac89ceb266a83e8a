// Numeric parameters of the polygon engine. They hold map-unit values at
// rest and are scaled into internal units (10000 per map unit with the load
// values) for the span of one operation.
#pragma once

struct EngineParameters {
    double pointTolerance = 0.1;
    double inputStep = 0.01;
    double internalGrid = 100.0;
    double lineAccuracy = 0.001;
    double correctionDistance = 500.0;
    double correctionDeviation = 1.0;
    double smoothenDeviation = 1.0;
    double smoothenMaxLength = 1000.0;

    // Into internal units: inputStep becomes its reciprocal and the lengths
    // are multiplied by internalGrid x inputStep (lineAccuracy and
    // internalGrid stay as they are).
    void ScaleToInternal();
    // The inverse of ScaleToInternal.
    void ScaleToInput();
    // Factor from map units to internal units (valid while scaled).
    double InternalScale() const { return inputStep * internalGrid; }
};

// The engine-global parameters; one operation at a time reads them.
EngineParameters &GetEngineParameters();

// Scales the global parameters for its lifetime and puts back the exact
// values it found, also when the operation ends with an error (a second
// operation would otherwise scale already scaled values).
class InternalUnitsScope {
public:
    InternalUnitsScope();
    ~InternalUnitsScope();
    InternalUnitsScope(const InternalUnitsScope &) = delete;
    InternalUnitsScope &operator=(const InternalUnitsScope &) = delete;

private:
    EngineParameters _saved;
};
