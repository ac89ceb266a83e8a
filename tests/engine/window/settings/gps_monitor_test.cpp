// The GPS port monitor against a pseudo-terminal pair standing for the
// serial port: bytes written on one side appear in order with the line
// parameters set on the port, pause and resume, closing while data flows, a
// port that cannot be opened or vanishes, and the notices around the run.
#include "engine/kernel/map_notify_codes.h"
#include "engine/window/settings/gps_monitor.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSerialPort>

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

class GpsMonitorThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char name[256] = {};
        ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        params.device = name;
        mapWindow = CreateHeadlessWindow([this](HWND, UINT msg, WPARAM, LPARAM) -> LRESULT {
            notices.push_back(msg);
            return 0;
        });
    }
    void TearDown() override
    {
        SetModalDialogHook({});
        DestroyWindow(mapWindow);
        if (master >= 0)
            close(master);
        if (slave >= 0)
            close(slave);
    }
    void send(const std::string &bytes)
    {
        ASSERT_EQ(write(master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    }
    // Lets the dialog run until the condition holds (a bounded wait).
    static bool waitFor(const std::function<bool()> &done)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > 5000)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            std::this_thread::yield();
        }
        return true;
    }
    // The monitor's dialog inside the hook.
    static CGPSInputDlg &monitor(QDialog &dialog) { return dynamic_cast<CGPSInputDlg &>(dialog); }

    int master = -1, slave = -1;
    CGPSPortParams params;
    HWND mapWindow = 0;
    std::vector<UINT> notices;
};

TEST_F(GpsMonitorThreadTest, BytesAppearInOrderWithTheLineParametersSet)
{
    // A pseudo-terminal keeps 8 data bits without parity; speed and stop
    // bits it takes as given.
    params.speed = 4800;
    params.stopBits = 2.0;
    std::string sent;
    for (int i = 0; i < 250; ++i)
        sent += char('A' + i % 26);
    SetModalDialogHook([&](QDialog &dialog, int templateId) {
        EXPECT_EQ(templateId, CGPSInputDlg::kTemplateId);
        EXPECT_EQ(notices, std::vector<UINT>{MAPN_GPSSTOP}) << "the map window leaves the port first";
        termios line{};
        tcgetattr(master, &line);
        EXPECT_EQ(cfgetispeed(&line), speed_t(B4800));
        EXPECT_EQ(line.c_cflag & CSIZE, tcflag_t(CS8));
        EXPECT_TRUE(line.c_cflag & CSTOPB);
        CGPSInputDlg &m = monitor(dialog);
        EXPECT_TRUE(m.Reading());
        send(sent);
        EXPECT_TRUE(waitFor([&] { return m.Received().size() == 250; }));
        EXPECT_EQ(m.Received().toStdString(), sent);
        // A few bytes are shown too, after the short timer.
        send("$GP");
        EXPECT_TRUE(waitFor([&] { return m.Received().endsWith("$GP"); }));
        return IDOK;
    });
    EXPECT_EQ(RunGpsMonitor(mapWindow, &params), IDOK);
    EXPECT_EQ(notices, (std::vector<UINT>{MAPN_GPSSTOP, MAPN_GPSREINIT}));
}

TEST_F(GpsMonitorThreadTest, PauseHoldsTheTextAndResumeShowsWhatCameMeanwhile)
{
    SetModalDialogHook([&](QDialog &dialog, int) {
        CGPSInputDlg &m = monitor(dialog);
        auto *pause = DialogItemAs<QPushButton>(&dialog, CGPSInputDlg::kPauseId);
        send("abc");
        EXPECT_TRUE(waitFor([&] { return m.Received() == "abc"; }));
        pause->click();
        EXPECT_TRUE(m.Paused());
        EXPECT_EQ(pause->text(), "&Start");
        send("def");
        m.OnDataReceived();
        EXPECT_EQ(m.Received(), "abc") << "nothing is shown while paused";
        pause->click();
        EXPECT_EQ(pause->text(), "&Pause");
        EXPECT_TRUE(waitFor([&] { return m.Received() == "abcdef"; }));
        return IDOK;
    });
    EXPECT_EQ(RunGpsMonitor(mapWindow, &params), IDOK);
}

TEST_F(GpsMonitorThreadTest, ClosingWhileDataFlowsEndsTheReaderAndFreesThePort)
{
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);
    std::atomic<bool> writing{true};
    std::thread writer([&] {
        const std::string line = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
        for (int i = 0; i < 20000 && writing; ++i)
            if (write(master, line.data(), line.size()) < 0)
                std::this_thread::yield();
    });
    SetModalDialogHook([&](QDialog &dialog, int) {
        CGPSInputDlg &m = monitor(dialog);
        EXPECT_TRUE(waitFor([&] { return m.Received().size() > 1000; }));
        return IDOK;
    });
    CGPSInputDlg dialog(&params);
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_FALSE(dialog.Reading());
    writing = false;
    writer.join();
    // The port was closed (and its lock given up): it opens again.
    QSerialPort again(QString::fromStdString(params.device));
    EXPECT_TRUE(again.open(QIODevice::ReadOnly)) << again.errorString().toStdString();
}

TEST_F(GpsMonitorThreadTest, APortThatCannotBeOpenedOrSetUpSaysSoAndIsLeftClosed)
{
    const std::string pty = params.device;
    SetModalDialogHook([&](QDialog &dialog, int) {
        CGPSInputDlg &m = monitor(dialog);
        EXPECT_EQ(m.Received(), "Can't open COM");
        EXPECT_FALSE(m.Reading());
        return IDOK;
    });
    params.device = "/nonexistent/ttyGPS";
    EXPECT_EQ(RunGpsMonitor(mapWindow, &params), IDOK);
    EXPECT_EQ(notices, (std::vector<UINT>{MAPN_GPSSTOP, MAPN_GPSREINIT}));
    // A pseudo-terminal refuses 7 data bits: the set-up fails after the
    // open, and the port is closed again.
    params.device = pty;
    params.dataBits = 7;
    EXPECT_EQ(RunGpsMonitor(mapWindow, &params), IDOK);
    QSerialPort again(QString::fromStdString(pty));
    EXPECT_TRUE(again.open(QIODevice::ReadOnly)) << again.errorString().toStdString();
}

TEST_F(GpsMonitorThreadTest, APortThatVanishesEndsTheReader)
{
    SetModalDialogHook([&](QDialog &dialog, int) {
        CGPSInputDlg &m = monitor(dialog);
        send("xyz");
        EXPECT_TRUE(waitFor([&] { return m.Received() == "xyz"; }));
        close(master);
        master = -1;
        EXPECT_TRUE(waitFor([&] { return !m.Reading(); }));
        EXPECT_EQ(m.Received(), "xyz");
        return IDOK;
    });
    EXPECT_EQ(RunGpsMonitor(mapWindow, &params), IDOK);
}

TEST(GpsMonitorText, KeepsTheNewestCharacters)
{
    QString text;
    CGPSInputDlg::AppendReceived(&text, std::string(CGPSInputDlg::kCutAt, 'o'));
    EXPECT_EQ(text.size(), CGPSInputDlg::kCutAt) << "not past the limit yet";
    CGPSInputDlg::AppendReceived(&text, "new");
    ASSERT_EQ(text.size(), CGPSInputDlg::kKeep);
    EXPECT_TRUE(text.endsWith("ooonew"));
}

} // namespace
