// The GPS port monitor ("GPS Input", dialog 177): opens the page's port, reads
// its raw bytes on a thread of its own and shows them as text.
//
// The reader never touches the dialog: it puts the bytes in a queue under a
// mutex and posts a "data ready" notice; the dialog takes them on its own
// thread. Pause and stop are flags the reader looks at between waits of at
// most kPollMs, so no thread is ever suspended or killed, and the reader
// closes the port on every way out.
#pragma once

#include "engine/window/settings/gps_settings.h"
#include "platform/types.h"

#include <QDialog>

#include <atomic>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>

class QPlainTextEdit;
class QPushButton;
class QTimer;

class GpsPortReader {
public:
    static constexpr int kPollMs = 50;
    // The reader gives up when no byte came this long after the port opened.
    static constexpr int kFirstByteMs = 2000;
    // A notice is posted once this many bytes wait.
    static constexpr size_t kNoticeBytes = 100;

    GpsPortReader() = default;
    ~GpsPortReader() { Stop(); }
    GpsPortReader(const GpsPortReader &) = delete;
    GpsPortReader &operator=(const GpsPortReader &) = delete;

    // Opens and sets up the port on the reader's thread; false (the port
    // closed again, no thread left) when either fails. notice runs on the
    // reader's thread and must only post.
    bool Start(const CGPSPortParams &params, std::function<void()> notice);
    void SetPaused(bool paused) { paused_ = paused; }
    // Ends the reader (within about kPollMs) and waits for it.
    void Stop();
    bool Running() const { return running_; }
    // The bytes received since the last call.
    std::string TakeBytes();

private:
    void run(CGPSPortParams params, std::promise<bool> *opened);

    std::thread thread_;
    std::atomic<bool> stop_{false}, paused_{false}, running_{false};
    std::mutex mutex_;
    std::string queue_;
    size_t unannounced_ = 0;
    std::function<void()> notice_;
};

class CGPSInputDlg : public QDialog {
public:
    static constexpr int kTemplateId = 177;
    static constexpr int kTextId = 1298, kSecondFieldId = 1300, kPauseId = 1301;
    // The text is cut when it grows past kCutAt, keeping the newest kKeep
    // characters.
    static constexpr int kCutAt = 50000, kKeep = 10000;
    // Fewer than kNoticeBytes bytes are shown after this.
    static constexpr int kShowAfterMs = 100;

    explicit CGPSInputDlg(CGPSPortParams *params, QWidget *parent = nullptr);
    ~CGPSInputDlg() override;

    // Opens the port and runs the dialog through the platform's modal call;
    // the reader is stopped (and the port closed) before it returns.
    int DoModal();

    // Empties the texts, opens the port; "Can't open COM" when that fails.
    bool OnInitDialog();
    // Takes the waiting bytes and shows the text (nothing while paused).
    void OnDataReceived();
    void OnPause();
    void StopReading() { reader_.Stop(); }
    bool Paused() const { return paused_; }
    bool Reading() const { return reader_.Running(); }
    const QString &Received() const { return received_; }

    // Appends bytes to the received text, cutting it to its newest part.
    static void AppendReceived(QString *text, const std::string &bytes);

private:
    CGPSPortParams *params_;
    GpsPortReader reader_;
    QString received_;
    bool paused_ = false;
    QPlainTextEdit *text_;
    QPushButton *pause_;
    QTimer *timer_;
};

// The page's "Spy": tells the map window to leave the port (MAPN_GPSSTOP),
// runs the monitor, then lets it take the port again (MAPN_GPSREINIT).
int RunGpsMonitor(HWND mapWindow, CGPSPortParams *params, QWidget *parent = nullptr);
