#include "engine/polygon/engine_parameters.h"

void EngineParameters::ScaleToInternal()
{
    inputStep = 1.0 / inputStep;
    pointTolerance = internalGrid * pointTolerance * inputStep;
    correctionDistance = correctionDistance * internalGrid * inputStep;
    correctionDeviation = correctionDeviation * internalGrid * inputStep;
    smoothenDeviation = smoothenDeviation * internalGrid * inputStep;
    smoothenMaxLength = smoothenMaxLength * internalGrid * inputStep;
}

void EngineParameters::ScaleToInput()
{
    pointTolerance = pointTolerance / internalGrid / inputStep;
    correctionDistance = correctionDistance / internalGrid / inputStep;
    correctionDeviation = correctionDeviation / internalGrid / inputStep;
    smoothenDeviation = smoothenDeviation / internalGrid / inputStep;
    smoothenMaxLength = smoothenMaxLength / internalGrid / inputStep;
    inputStep = 1.0 / inputStep;
}

EngineParameters &GetEngineParameters()
{
    static EngineParameters parameters;
    return parameters;
}

InternalUnitsScope::InternalUnitsScope() : _saved(GetEngineParameters())
{
    GetEngineParameters().ScaleToInternal();
}

InternalUnitsScope::~InternalUnitsScope() { GetEngineParameters() = _saved; }
