// What the editor makes sure of at every start: the control's class is
// registered from its library, and the engine lists the projection modules.
#include "editor/shell/main/first_run.h"

#include "editor/shell/support/reg_link.h"
#include "tests/editor/fake_control/fake_control_ids.h"

#include "platform/message_box.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class FirstRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        setenv("MAP_REGISTRY_DIR", (dir.path() + "/registry").toLocal8Bit().constData(), 1);
        previous = SetMessageBoxHook([this](const MessageBoxRequest &r) {
            boxes.push_back(r.text);
            return IDOK;
        });
    }
    void TearDown() override
    {
        SetMessageBoxHook(previous);
        unsetenv("MAP_REGISTRY_DIR");
    }
    std::string File(const char *name, const QByteArray &content)
    {
        const QString path = dir.path() + "/" + name;
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return path.toStdString();
    }

    QTemporaryDir dir;
    MessageBoxHook previous;
    std::vector<std::string> boxes;
};

TEST_F(FirstRunTest, RegistersTheFirstLibraryFoundOnce)
{
    const std::string missing = (dir.path() + "/nowhere/libKrtMap.so").toStdString();
    EXPECT_EQ(RegisteredServerOf(kFakeMapClsid), "");
    EXPECT_EQ(EnsureControlRegistered(kFakeMapClsid, {missing, MAP_FAKE_CONTROL}),
              TRegistrationResult::Registered);
    EXPECT_EQ(RegisteredServerOf(kFakeMapClsid), MAP_FAKE_CONTROL);
    EXPECT_EQ(EnsureControlRegistered(kFakeMapClsid, {missing}), TRegistrationResult::AlreadyRegistered);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(FirstRunTest, AStaleRegistrationIsMadeAgain)
{
    const TRegLink server(HKEY_CLASSES_ROOT, "\\CLSID\\" + GuidToString(kFakeMapClsid) + "\\InprocServer32");
    ASSERT_TRUE(server.WriteString("", (dir.path() + "/gone.so").toStdString()));
    EXPECT_EQ(EnsureControlRegistered(kFakeMapClsid, {MAP_FAKE_CONTROL}), TRegistrationResult::Registered);
    EXPECT_EQ(RegisteredServerOf(kFakeMapClsid), MAP_FAKE_CONTROL);
}

TEST_F(FirstRunTest, ALibraryThatCannotServeGivesAMessage)
{
    struct Case {
        const char *name;
        std::vector<std::string> candidates;
        const char *inMessage;
    };
    const std::string garbage = File("libKrtMap.so", "not a library at all");
    const std::string empty = File("empty.so", "");
    const Case cases[] = {
        {"none", {}, "Unable to find the map control library"},
        {"missing", {(dir.path() + "/x.so").toStdString()}, "Unable to find"},
        {"garbage", {garbage}, "Unable to load the map control library"},
        {"empty", {empty}, "Unable to load"},
    };
    for (const Case &c : cases) {
        boxes.clear();
        EXPECT_EQ(EnsureControlRegistered(kFakeMapClsid, c.candidates), TRegistrationResult::Failed)
            << c.name;
        ASSERT_EQ(boxes.size(), 1u) << c.name;
        EXPECT_NE(boxes[0].find(c.inMessage), std::string::npos) << c.name << ": " << boxes[0];
        EXPECT_EQ(RegisteredServerOf(kFakeMapClsid), "") << c.name;
    }
}

TEST_F(FirstRunTest, ProjectionModulesAreListedOnce)
{
    const TRegLink key(HKEY_CURRENT_USER, kProjectionsKey);
    // One listed under a name of its own, one value of the wrong type.
    ASSERT_TRUE(key.WriteString("Transverse Mercator", "tm.so"));
    ASSERT_TRUE(key.WriteInteger("utm.so", 7));
    EXPECT_EQ(EnsureProjectionModules({"tm.so", "utm.so"}), (std::vector<std::string>{"utm.so"}));
    EXPECT_EQ(key.GetString("utm.so", ""), "utm.so");
    EXPECT_EQ(key.GetString("Transverse Mercator", ""), "tm.so");
    EXPECT_TRUE(EnsureProjectionModules({"tm.so", "utm.so"}).empty());
    EXPECT_EQ(key.ValueNames().size(), 2u);
}

} // namespace
