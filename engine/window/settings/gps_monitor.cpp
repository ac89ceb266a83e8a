#include "engine/window/settings/gps_monitor.h"

#include "engine/kernel/map_notify_codes.h"
#include "platform/message_box.h"
#include "platform/modal_dialog.h"
#include "platform/window.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSerialPort>
#include <QTimer>
#include <QVBoxLayout>

#include <chrono>

namespace {

QSerialPort::Parity parityOf(const std::string &name, QSerialPort::Parity current)
{
    if (name == "Even")
        return QSerialPort::EvenParity;
    if (name == "Mark")
        return QSerialPort::MarkParity;
    if (name == "None")
        return QSerialPort::NoParity;
    if (name == "Odd")
        return QSerialPort::OddParity;
    if (name == "Space")
        return QSerialPort::SpaceParity;
    return current; // any other name keeps the port's parity
}

QSerialPort::StopBits stopBitsOf(double value, QSerialPort::StopBits current)
{
    if (value == 1.0)
        return QSerialPort::OneStop;
    if (value == 1.5)
        return QSerialPort::OneAndHalfStop;
    if (value == 2.0)
        return QSerialPort::TwoStop;
    return current;
}

bool setUp(QSerialPort &port, const CGPSPortParams &params)
{
    if (!port.setBaudRate(params.speed) || !port.setDataBits(QSerialPort::DataBits(params.dataBits)) ||
        !port.setParity(parityOf(params.parity, port.parity())) ||
        !port.setStopBits(stopBitsOf(params.stopBits, port.stopBits())))
        return false;
    port.setFlowControl(QSerialPort::HardwareControl);
    // The control lines are set where the device has them (a pseudo-terminal
    // has none).
    port.setDataTerminalReady(true);
    if (port.flowControl() != QSerialPort::HardwareControl)
        port.setRequestToSend(true);
    port.clearError();
    return true;
}

} // namespace

bool GpsPortReader::Start(const CGPSPortParams &params, std::function<void()> notice)
{
    Stop();
    stop_ = false;
    paused_ = false;
    notice_ = std::move(notice);
    {
        std::lock_guard lock(mutex_);
        queue_.clear();
        unannounced_ = 0;
    }
    std::promise<bool> opened;
    std::future<bool> result = opened.get_future();
    running_ = true;
    thread_ = std::thread(&GpsPortReader::run, this, params, &opened);
    if (!result.get()) {
        thread_.join();
        return false;
    }
    return true;
}

void GpsPortReader::Stop()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    running_ = false;
}

std::string GpsPortReader::TakeBytes()
{
    std::lock_guard lock(mutex_);
    unannounced_ = 0;
    return std::exchange(queue_, std::string());
}

void GpsPortReader::run(CGPSPortParams params, std::promise<bool> *opened)
{
    // The port lives on this thread from opening to closing; its destructor
    // closes it on every way out.
    QSerialPort port;
    const std::string device = params.device.empty() ? GpsPortDevice(params.port) : params.device;
    port.setPortName(QString::fromStdString(device));
    if (device.empty() || !port.open(QIODevice::ReadOnly) || !setUp(port, params)) {
        running_ = false;
        opened->set_value(false);
        return;
    }
    port.clear(QSerialPort::Input);
    opened->set_value(true); // the promise is not touched after this

    using Clock = std::chrono::steady_clock;
    const auto giveUp = Clock::now() + std::chrono::milliseconds(kFirstByteMs);
    bool anyByte = false;
    while (!stop_) {
        if (paused_) {
            // Held here, outside the queue's lock; the bytes wait in the port.
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
            continue;
        }
        if (!port.bytesAvailable() && !port.waitForReadyRead(kPollMs)) {
            const auto error = port.error();
            if (error != QSerialPort::NoError && error != QSerialPort::TimeoutError)
                break; // the port failed or vanished
            port.clearError();
            if (!anyByte && Clock::now() >= giveUp)
                break; // nothing at all came from the port
            continue;
        }
        const QByteArray bytes = port.readAll();
        if (bytes.isEmpty())
            continue;
        anyByte = true;
        bool announce = false;
        {
            std::lock_guard lock(mutex_);
            queue_.append(bytes.constData(), size_t(bytes.size()));
            unannounced_ += size_t(bytes.size());
            if (unannounced_ >= kNoticeBytes) {
                unannounced_ = 0;
                announce = true;
            }
        }
        if (announce && notice_)
            notice_();
    }
    port.clear(QSerialPort::AllDirections);
    port.close();
    running_ = false;
}

CGPSInputDlg::CGPSInputDlg(CGPSPortParams *params, QWidget *parent) : QDialog(parent), params_(params)
{
    setObjectName(QString::number(kTemplateId));
    setWindowTitle(QStringLiteral("GPS Input"));
    auto *layout = new QVBoxLayout(this);
    text_ = new QPlainTextEdit;
    text_->setReadOnly(true);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SetDialogItemId(text_, kTextId);
    layout->addWidget(text_);
    auto *second = new QLineEdit;
    second->setReadOnly(true);
    SetDialogItemId(second, kSecondFieldId);
    layout->addWidget(second);
    pause_ = new QPushButton(QStringLiteral("&Pause"));
    SetDialogItemId(pause_, kPauseId);
    layout->addWidget(pause_);
    auto *ok = new QPushButton(QStringLiteral("&OK"));
    SetDialogItemId(ok, IDOK);
    layout->addWidget(ok);
    connect(pause_, &QPushButton::clicked, this, [this] { OnPause(); });
    connect(ok, &QPushButton::clicked, this, [this] { done(IDOK); });
    timer_ = new QTimer(this);
    timer_->setInterval(kShowAfterMs);
    connect(timer_, &QTimer::timeout, this, [this] { OnDataReceived(); });
}

CGPSInputDlg::~CGPSInputDlg() { StopReading(); }

bool CGPSInputDlg::OnInitDialog()
{
    received_.clear();
    text_->clear();
    DialogItemAs<QLineEdit>(this, kSecondFieldId)->clear();
    paused_ = false;
    pause_->setText(QStringLiteral("&Pause"));
    const bool opened = params_ && reader_.Start(*params_, [this] {
        // Posted: the dialog takes the bytes on its own thread.
        QMetaObject::invokeMethod(
            this, [this] { OnDataReceived(); }, Qt::QueuedConnection);
    });
    if (!opened) {
        received_ = QStringLiteral("Can't open COM");
        text_->setPlainText(received_);
        return false;
    }
    timer_->start();
    return true;
}

void CGPSInputDlg::AppendReceived(QString *text, const std::string &bytes)
{
    text->append(QString::fromLatin1(bytes.data(), qsizetype(bytes.size())));
    if (text->size() > kCutAt)
        text->remove(0, text->size() - kKeep);
}

void CGPSInputDlg::OnDataReceived()
{
    if (paused_)
        return;
    const std::string bytes = reader_.TakeBytes();
    if (bytes.empty())
        return;
    AppendReceived(&received_, bytes);
    text_->setPlainText(received_);
    text_->verticalScrollBar()->setValue(text_->verticalScrollBar()->maximum());
}

void CGPSInputDlg::OnPause()
{
    paused_ = !paused_;
    reader_.SetPaused(paused_);
    pause_->setText(paused_ ? QStringLiteral("&Start") : QStringLiteral("&Pause"));
    if (!paused_)
        OnDataReceived();
}

int CGPSInputDlg::DoModal()
{
    OnInitDialog();
    const int result = RunModalDialog(*this, kTemplateId);
    timer_->stop();
    StopReading();
    return result;
}

int RunGpsMonitor(HWND mapWindow, CGPSPortParams *params, QWidget *parent)
{
    if (mapWindow)
        SendMessage(mapWindow, MAPN_GPSSTOP, 0, 0);
    CGPSInputDlg dialog(params, parent);
    const int result = dialog.DoModal();
    if (mapWindow)
        SendMessage(mapWindow, MAPN_GPSREINIT, 0, 0);
    return result;
}
