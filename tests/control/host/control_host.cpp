// A host of the map control on a real X display (the control's test starts
// it under Xvfb): it creates the control by ProgID through the automation
// layer, opens a document, zooms, waits until the drawing thread reports the
// end of its paint, grabs the X screen where the control shows and compares
// it with the engine's own paint of that view.
//   control_host <document.mpd> <screen.png> <engine.png>
// Exit code 0 when the screen shows the engine's picture.
#include "control/map_ctrl.h"
#include "engine/window/map_painting.h"
#include "platform/automation_control.h"
#include "platform/automation_creation.h"
#include "platform/dc.h"
#include "platform/window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <cstdio>

namespace {

// Hears Progress and remembers whether the drawing thread finished.
class ProgressSink : public ComObject<IDispatch> {
public:
    HRESULT GetIDsOfNames(std::span<const std::string>, std::span<DISPID>) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID id, WORD, DISPPARAMS &params, VARIANT *, EXCEPINFO *, UINT *) override
    {
        if (id == EVENT_PROGRESS && params.cArgs == 2 && params.rgvarg[1].lVal == 6 &&
            params.rgvarg[0].lVal == -2)
            ++finished;
        return S_OK;
    }
    int finished = 0;

protected:
    void *FindInterface(const IID &iid) override
    {
        return iid == kIMapEventsIid ? static_cast<IDispatch *>(this)
                                     : ComObject<IDispatch>::FindInterface(iid);
    }
};

// Events are handled until `done` holds; the bound only keeps an event that
// never comes from hanging the run, however loaded the machine.
bool WaitFor(const std::function<bool()> &done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 120000)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
}

int Fail(const char *why)
{
    std::fprintf(stderr, "control_host: %s\n", why);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 4)
        return Fail("usage: control_host document screen.png engine.png");

    ComPtr<IDispatch> map;
    if (CreateObject("KRTMAP.MapCtrl.1", IDispatch::kIid, map.putVoid()) != S_OK)
        return Fail("the control is not registered");
    ComPtr<IControlWidget> site;
    if (map->QueryInterface(IControlWidget::kIid, site.putVoid()) != S_OK || !site->Widget())
        return Fail("the control has no widget");
    auto sink = ComPtr<ProgressSink>::Adopt(new ProgressSink);
    ComPtr<IConnectionPointContainer> points;
    ComPtr<IConnectionPoint> events;
    DWORD cookie = 0;
    if (map->QueryInterface(IConnectionPointContainer::kIid, points.putVoid()) != S_OK ||
        points->FindConnectionPoint(kIMapEventsIid, events.put()) != S_OK ||
        events->Advise(sink->Identity(), &cookie) != S_OK)
        return Fail("no event connection");

    QWidget window;
    window.setWindowTitle("Map control host");
    QWidget *control = site->Widget();
    control->setParent(&window);
    control->setGeometry(0, 0, 480, 360);
    window.resize(480, 360);
    window.move(0, 0);
    window.show();
    if (!WaitFor([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }))
        return Fail("the window was never shown");

    HRESULT hr = S_OK;
    const Variant opened =
        CallByName(map.get(), "Open", DISPATCH_METHOD, std::vector<Variant>{VariantFromString(argv[1])}, &hr);
    if (hr != S_OK || opened.lVal != 1)
        return Fail("the document did not open");
    ComPtr<IDispatch> rect;
    if (CreateObject("KrtLib.KrtRect", IDispatch::kIid, rect.putVoid()) != S_OK)
        return Fail("no rectangle class");
    PutByName(rect.get(), "left", VariantFromLong(100));
    PutByName(rect.get(), "top", VariantFromLong(100));
    PutByName(rect.get(), "right", VariantFromLong(2600));
    PutByName(rect.get(), "bottom", VariantFromLong(2700));
    sink->finished = 0;
    CallByName(map.get(), "Zoom", DISPATCH_METHOD,
               std::vector<Variant>{VariantFromDispatch(rect.get()), VariantFromBool(true)}, &hr);
    if (hr != S_OK)
        return Fail("zoom failed");
    auto *ctl = dynamic_cast<CMapCtrl *>(control);
    if (!ctl)
        return Fail("the widget is not the map control");
    // A pass finished and nothing is left to draw; the widget then shows
    // the picture at once (a repaint paints and puts it on the screen before
    // it returns, ahead of the grab on the same display connection).
    if (!WaitFor([&] { return sink->finished > 0 && ctl->PictureComplete(); }))
        return Fail("the drawing thread never finished");
    ctl->repaint();

    RECT client{};
    GetClientRect(ctl->hwnd(), &client);
    const QPoint origin = ctl->mapToGlobal(QPoint(0, 0));
    const QImage screen = QGuiApplication::primaryScreen()
                              ->grabWindow(0, origin.x(), origin.y(), client.right, client.bottom)
                              .toImage()
                              .convertToFormat(QImage::Format_RGB32);
    screen.save(argv[2]);

    QImage engine(client.right, client.bottom, QImage::Format_RGB32);
    engine.fill(Qt::white);
    const HDC dc = CreateImageDC(&engine);
    const long drawn = OnDstrPaint(ctl->wndRes(), dc, &client, 0);
    DeleteDC(dc);
    engine.save(argv[3]);
    if (drawn == -1)
        return Fail("the engine's paint was stopped");
    if (screen.size() != engine.size())
        return Fail("the grab has another size");
    int differing = 0;
    int inked = 0;
    for (int y = 0; y < engine.height(); ++y)
        for (int x = 0; x < engine.width(); ++x) {
            differing += screen.pixel(x, y) != engine.pixel(x, y);
            inked += engine.pixel(x, y) != qRgb(255, 255, 255);
        }
    std::printf("control_host: %d pixels inked, %d differ\n", inked, differing);
    events->Unadvise(cookie);
    if (inked == 0)
        return Fail("the view shows nothing");
    return differing == 0 ? 0 : Fail("the screen differs from the engine's paint");
}
