// Connection points: cookies, firing order, and sinks that unadvise, advise
// or fire again while a fire is running.
#include "widget.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// An event sink: records each Changed event and then runs its hook.
class Sink : public DispatchObject {
public:
    static std::shared_ptr<const MemberTable> Table()
    {
        static const auto table = std::make_shared<const MemberTable>(ClassInfo{
            .className = "Sink",
            .members = {{.name = "Changed",
                         .kind = MemberKind::Method,
                         .params = {VT_I4},
                         .get =
                             [](DispatchObject &o, MemberCall &c) {
                                 auto &self = static_cast<Sink &>(o);
                                 self.log->push_back(self.name + std::to_string(c.Long(0)));
                                 if (self.hook)
                                     self.hook();
                             },
                         .dispid = kChangedEvent}},
        });
        return table;
    }
    Sink(std::string n, std::vector<std::string> *l) : DispatchObject(Table()), name(std::move(n)), log(l) {}

    std::string name;
    std::vector<std::string> *log;
    std::function<void()> hook;
    bool alive() const { return true; }

protected:
    void *FindInterface(const IID &iid) override
    {
        return iid == kWidgetEventsIid ? static_cast<IDispatch *>(this) : DispatchObject::FindInterface(iid);
    }
};

class PropertySink : public ComObject<IPropertyNotifySink> {
public:
    HRESULT OnChanged(DISPID id) override
    {
        changed.push_back(id);
        return S_OK;
    }
    HRESULT OnRequestEdit(DISPID) override { return refuse ? S_FALSE : S_OK; }
    std::vector<DISPID> changed;
    bool refuse = false;
};

class ConnectionTest : public testing::Test {
protected:
    ConnectionTest()
    {
        IConnectionPoint *p = nullptr;
        void *container = nullptr;
        EXPECT_EQ(widget->QueryInterface(IConnectionPointContainer::kIid, &container), S_OK);
        EXPECT_EQ(
            static_cast<IConnectionPointContainer *>(container)->FindConnectionPoint(kWidgetEventsIid, &p),
            S_OK);
        static_cast<IConnectionPointContainer *>(container)->Release();
        point = ComPtr<IConnectionPoint>::Adopt(p);
    }
    ~ConnectionTest() override
    {
        point = ComPtr<IConnectionPoint>(); // its references count on the widget
        widget->Release();
    }
    // A sink advised on the widget's events; the connection holds it.
    Sink *Advise(const std::string &name, DWORD *cookie)
    {
        auto *s = new Sink(name, &log);
        EXPECT_EQ(point->Advise(s->Identity(), cookie), S_OK);
        s->Release();
        return s;
    }
    void Fire(int32_t n)
    {
        widget->width = n;
        widget->Notify(1);
    }

    Widget *widget = new Widget;
    ComPtr<IConnectionPoint> point;
    std::vector<std::string> log;
};

TEST_F(ConnectionTest, FiresInOrderOfAdviseUntilUnadvised)
{
    DWORD a = 0, b = 0, c = 0;
    Advise("a", &a);
    Advise("b", &b);
    Advise("c", &c);
    EXPECT_TRUE(a != b && b != c && a != c);
    Fire(1);
    ASSERT_EQ(point->Unadvise(b), S_OK);
    EXPECT_EQ(point->Unadvise(b), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(0), CONNECT_E_NOCONNECTION);
    Fire(2);
    EXPECT_EQ(log, (std::vector<std::string>{"a1", "b1", "c1", "a2", "c2"}));
    // Cookies are not used again.
    DWORD d = 0;
    Advise("d", &d);
    EXPECT_NE(d, b);
    EXPECT_EQ(point->Unadvise(a), S_OK);
    EXPECT_EQ(point->Unadvise(c), S_OK);
    EXPECT_EQ(point->Unadvise(d), S_OK);
}

TEST_F(ConnectionTest, SinksThatUnadviseDuringAFire)
{
    DWORD a = 0, b = 0, c = 0;
    Sink *sa = Advise("a", &a);
    Advise("b", &b);
    Advise("c", &c);
    // a unadvises itself (dropping the connection's reference to it while it
    // runs) and c, which has not had its turn yet.
    sa->hook = [&] {
        EXPECT_EQ(point->Unadvise(a), S_OK);
        EXPECT_EQ(point->Unadvise(c), S_OK);
        EXPECT_TRUE(sa->alive());
    };
    Fire(1);
    Fire(2);
    EXPECT_EQ(log, (std::vector<std::string>{"a1", "b1", "b2"}));
    EXPECT_EQ(point->Unadvise(b), S_OK);
}

TEST_F(ConnectionTest, SinksThatCallBackDuringAFire)
{
    DWORD a = 0, b = 0, late = 0;
    Sink *sa = Advise("a", &a);
    Advise("b", &b);
    // a fires again once from inside its call, then advises another sink,
    // which hears only fires that start after it was advised.
    int depth = 0;
    sa->hook = [&] {
        if (depth++ == 0) {
            Fire(2);
            Advise("late", &late);
        }
    };
    Fire(1);
    // The outer fire goes on to b with its own argument.
    EXPECT_EQ(log, (std::vector<std::string>{"a1", "a2", "b2", "b1"}));
    log.clear();
    Fire(3);
    EXPECT_EQ(log, (std::vector<std::string>{"a3", "b3", "late3"}));
    for (DWORD cookie : {a, b, late})
        EXPECT_EQ(point->Unadvise(cookie), S_OK);
}

TEST_F(ConnectionTest, RefusesSinksWithoutTheInterface)
{
    auto *notSink = new Widget;
    DWORD cookie = 0;
    EXPECT_EQ(point->Advise(notSink->Identity(), &cookie), CONNECT_E_CANNOTCONNECT);
    EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
    notSink->Release();
    IID iid{};
    EXPECT_EQ(point->GetConnectionInterface(&iid), S_OK);
    EXPECT_EQ(iid, kWidgetEventsIid);

    void *container = nullptr;
    ASSERT_EQ(widget->QueryInterface(IConnectionPointContainer::kIid, &container), S_OK);
    IConnectionPoint *none = nullptr;
    EXPECT_EQ(static_cast<IConnectionPointContainer *>(container)->FindConnectionPoint(kWidgetIid, &none),
              CONNECT_E_NOCONNECTION);
    EXPECT_EQ(none, nullptr);
    static_cast<IConnectionPointContainer *>(container)->Release();
}

TEST_F(ConnectionTest, PropertyChangeNotices)
{
    auto *sink = new PropertySink;
    DWORD cookie = 0;
    ASSERT_EQ(widget->notices->Advise(sink, &cookie), S_OK);
    ASSERT_EQ(PutByName(widget, "width", VariantFromLong(12)), S_OK);
    EXPECT_EQ(sink->changed, std::vector<DISPID>{1});
    EXPECT_TRUE(widget->notices->FireOnRequestEdit(1));
    sink->refuse = true;
    EXPECT_FALSE(widget->notices->FireOnRequestEdit(1));
    EXPECT_EQ(widget->notices->Unadvise(cookie), S_OK);
    EXPECT_EQ(widget->notices->sinkCount(), 0u);
    sink->Release();
}

} // namespace
