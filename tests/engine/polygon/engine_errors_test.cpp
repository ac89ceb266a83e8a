#include <cstring>
#include <string>

#include "polygon_test_support.h"

TEST(GDS_ErrorTest, NullTextsReadNonSpecified)
{
    GDS_Error error(nullptr, nullptr, 3, 0);
    EXPECT_STREQ(error.GetMessage(), "non specified");
    EXPECT_STREQ(error.GetHeader(), "non specified");
    EXPECT_EQ(error.GetDegree(), 3);
    EXPECT_EQ(error.GetFatal(), 0);
}

TEST(GDS_ErrorTest, CopyOutlivesItsSourceAndLongTextsAreCut)
{
    GDS_Error *source = new GDS_Error(std::string(300, 'm').c_str(), "head", 9, 1);
    GDS_Error copy(*source);
    delete source;
    EXPECT_EQ(std::strlen(copy.GetMessage()), 199u);
    EXPECT_STREQ(copy.GetHeader(), "head");
}

TEST(EngineHandlersTest, ErrorRaisesTheFatalErrorCarryingTheReport)
{
    EngineHandlerScope scope;
    try {
        EngineError("length = 0", "CalculateLineParameters");
        FAIL() << "EngineError returned";
    } catch (const GDS_Error &error) {
        EXPECT_STREQ(error.GetMessage(), " Fatal Error");
        EXPECT_STREQ(error.GetHeader(), "Fatal Error");
        EXPECT_EQ(error.GetDegree(), 9);
        EXPECT_EQ(error.GetFatal(), 1);
        EXPECT_STREQ(error.GetReportMessage(), "length = 0");
        EXPECT_STREQ(error.GetReportHeader(), "CalculateLineParameters");
    }
}

namespace {

struct RecordingErrors : EngineErrorHandler {
    std::string *warnings;
    explicit RecordingErrors(std::string *w) : warnings(w) {}
    void Warning(const char *message, const char *header) override
    {
        *warnings += std::string(header) + ":" + message + ";";
    }
    // Returns instead of raising: the engine must still not go on.
    void Error(const char *, const char *) override {}
};

} // namespace

TEST(EngineHandlersTest, WarningsGoOnAndAReturningErrorHandlerStillStops)
{
    std::string warnings;
    {
        EngineHandlerScope scope(new RecordingErrors(&warnings), new EngineStatusHandler);
        EngineWarning("Wrong operation", "Command Error");
        EXPECT_THROW(EngineError("colliniar lines", "line"), GDS_Error);
    }
    EXPECT_EQ(warnings, "Command Error:Wrong operation;");
    EXPECT_EQ(CurrentErrorHandler(), nullptr);
    EXPECT_EQ(CurrentStatusHandler(), nullptr);
}

TEST(EngineParametersTest, ScalingGivesInternalUnitsAndRestoresExactly)
{
    const EngineParameters load;
    {
        InternalUnitsScope units;
        const EngineParameters &p = GetEngineParameters();
        EXPECT_DOUBLE_EQ(p.InternalScale(), 10000.0);
        EXPECT_DOUBLE_EQ(p.pointTolerance, 1000.0);
        EXPECT_DOUBLE_EQ(p.inputStep, 100.0);
        EXPECT_DOUBLE_EQ(p.correctionDistance, 5000000.0);
        EXPECT_DOUBLE_EQ(p.correctionDeviation, 10000.0);
        EXPECT_DOUBLE_EQ(p.smoothenDeviation, 10000.0);
        EXPECT_DOUBLE_EQ(p.smoothenMaxLength, 10000000.0);
        EXPECT_EQ(p.lineAccuracy, 0.001);
        EXPECT_EQ(p.internalGrid, 100.0);
    }
    // Also when an operation ends with an error.
    try {
        InternalUnitsScope units;
        throw GDS_Error("x");
    } catch (const GDS_Error &) {
    }
    const EngineParameters &p = GetEngineParameters();
    EXPECT_EQ(p.pointTolerance, load.pointTolerance);
    EXPECT_EQ(p.inputStep, load.inputStep);
    EXPECT_EQ(p.correctionDistance, load.correctionDistance);
    EXPECT_EQ(p.smoothenMaxLength, load.smoothenMaxLength);

    // The plain round trip restores the load values exactly too.
    EngineParameters q;
    q.ScaleToInternal();
    q.ScaleToInput();
    EXPECT_EQ(q.pointTolerance, load.pointTolerance);
    EXPECT_EQ(q.inputStep, load.inputStep);
    EXPECT_EQ(q.correctionDistance, load.correctionDistance);
    EXPECT_EQ(q.correctionDeviation, load.correctionDeviation);
    EXPECT_EQ(q.smoothenDeviation, load.smoothenDeviation);
    EXPECT_EQ(q.smoothenMaxLength, load.smoothenMaxLength);
}
