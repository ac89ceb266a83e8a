// The map document file: round trips, damaged files, the selection kernel,
// compression, atomic saving and the clipboard stream.
#include "docmodel_fixture.h"

#include "engine/kernel/bank.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/map_notify_codes.h"
#include "engine/kernel/upper_services.h"
#include "platform/file.h"
#include "platform/file_dialog.h"
#include "platform/global_memory.h"

#include <chrono>
#include <csignal>
#include <random>
#include <set>
#include <sys/time.h>
#include <sys/wait.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <utility>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace docmodeltest;
namespace fs = std::filesystem;

// The kernel keeps a view's projection through the view floor's services.
// This program has no view floor: a stand-in keeps one record per view, so
// that a test sees what the file gave the view and what it took from it.
std::map<const PresentationManager *, PM_InitStructTag> &viewProjections()
{
    static std::map<const PresentationManager *, PM_InitStructTag> records;
    return records;
}

void InstallViewProjectionStandIn()
{
    KernelUpperServices services = GetKernelUpperServices();
    services.viewProjectionGet = [](PresentationManager *view, PM_InitStructTag *out) {
        *out = viewProjections()[view];
        return 1;
    };
    services.viewProjectionSet = [](PresentationManager *view, const PM_InitStructTag *in) {
        viewProjections()[view] = *in;
        return 1;
    };
    SetKernelUpperServices(services);
}

std::vector<char> readAll(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const fs::path &p, const std::vector<char> &bytes)
{
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), std::streamsize(bytes.size()));
}

// Where the records of a stream lie.
struct RecordAt {
    size_t offset;
    MapRecordHead head;
};

std::vector<RecordAt> records(const std::vector<char> &bytes)
{
    std::vector<RecordAt> out;
    size_t at = sizeof(MapFileHeader);
    while (at + sizeof(MapRecordHead) <= bytes.size()) {
        MapRecordHead h;
        std::memcpy(&h, bytes.data() + at, sizeof h);
        out.push_back({at, h});
        if (h.kind == MAPREC_END)
            break;
        at += sizeof h + h.length;
    }
    return out;
}

// Points the first reference of the first object record that holds more
// than one reference (and is not the skipped one) at target. The slot of
// that object and its count of held references, or {0, 0} when none does.
std::pair<uint32_t, uint32_t> retargetFirstReference(std::vector<char> &bytes, uint32_t target, uint32_t skip)
{
    for (const RecordAt &r : records(bytes)) {
        if (r.head.kind != MAPREC_OBJECT)
            continue;
        OBJectHead h;
        std::memcpy(&h, bytes.data() + r.offset + 12, sizeof h);
        if (h.refsHeld > 1 && r.head.tag != skip) {
            std::memcpy(bytes.data() + r.offset + 12 + h.refOffset, &target, 4);
            return {r.head.tag, h.refsHeld};
        }
    }
    return {0, 0};
}

// Moves the bank record just before the end record, after letting edit
// change its 32 bytes.
template <typename Edit>
void moveBankRecordToEnd(std::vector<char> &bytes, Edit edit)
{
    for (const RecordAt &r : records(bytes))
        if (r.head.kind == MAPREC_DOCUMENT && r.head.tag == MAPDOC_BANK) {
            std::vector<char> bank(bytes.begin() + r.offset, bytes.begin() + r.offset + 32);
            edit(bank);
            bytes.erase(bytes.begin() + r.offset, bytes.begin() + r.offset + 32);
            bytes.insert(bytes.end() - 12, bank.begin(), bank.end());
            return;
        }
}

class MapFileTest : public DocModelTest {
protected:
    void SetUp() override
    {
        DocModelTest::SetUp();
        dir_ = fs::temp_directory_path() / ("mapfile_test_" + std::to_string(getpid()));
        fs::create_directories(dir_);
        record.pageSetup = GlobalAlloc(GHND, MAPDOC_PAGESETUP_SIZE);
        auto *setup = static_cast<char *>(GlobalLock(record.pageSetup));
        std::strcpy(setup, "A4");
        const int32_t words[] = {2100, 2970, 100, 150, 200, 250, 9, 2};
        std::memcpy(setup + 64, words, sizeof words);
        GlobalUnlock(record.pageSetup);
        InstallViewProjectionStandIn();
        view_ = reinterpret_cast<PresentationManager *>(&viewStandIn_);
        record.displayView = view_;
        blocksBefore_ = GlobalBlockCount();
    }

    void TearDown() override
    {
        KernelUpperServices services = GetKernelUpperServices();
        services.viewProjectionGet = nullptr;
        services.viewProjectionSet = nullptr;
        SetKernelUpperServices(services);
        viewProjections().clear();
        GlobalFree(record.pageSetup);
        kernel = record.kernel; // the fixture deletes the window's current kernel
        DocModelTest::TearDown();
        fs::remove_all(dir_);
    }

    fs::path path(const char *name) const { return dir_ / name; }

    // A polyline or polygon with n points on the layer.
    OBJHANDLE makeShape(OBJHANDLE layer, uint16_t cls, int n, bool heights = false)
    {
        const OBJHANDLE h = makeObject(layer, {0, 0, 100, 100}, cls);
        const uint32_t stride = heights ? 12 : 8;
        EXPECT_NE(ReSizeOBJectData(kernel, h, n * stride), 0u);
        char *fixed = OBJectLock(kernel, h);
        StoreField<uint32_t>(fixed, PS_COUNT, uint32_t(n));
        StoreField<uint16_t>(fixed, PS_ZFLAGS, heights ? 1 : 0);
        char *data = DataSpaceBegin(fixed);
        for (int i = 0; i < n; ++i)
            for (uint32_t k = 0; k < stride / 4; ++k)
                StoreField<int32_t>(data, i * stride + k * 4, int32_t(h * 1000 + i * 10 + k));
        return h;
    }

    // A document with every class built so far.
    void buildDocument()
    {
        const OBJHANDLE roads = CreateLayerOBJect(kernel, layers, 7, "Roads");
        ASSERT_NE(roads, 0u);
        const OBJHANDLE page = makePageLayer();
        ASSERT_NE(page, 0u);
        lines_ = {makeShape(layer0, CLASS_POLYLINE, 10), makeShape(roads, CLASS_POLYLINE, 3)};
        shapes_ = {makeShape(layer0, CLASS_POLYGON, 5), makeShape(roads, CLASS_POLYGON, 4, true)};
        makeObject(roads, {5, 5, 6, 6}, CLASS_TEXT);
        ASSERT_NE(AspectCreate(kernel, groups, "Districts"), 0u);
        group_ = makeGroup(aspect, {lines_[0], shapes_[0]});
        PM_InitStructTag init{};
        init.baseUnit = 3;
        init.lengthUnit = 5;
        std::strcpy(init.modulePath, "/nonexistent/projection-module.so");
        std::strcpy(init.parameterText, "zone=33");
        UpperViewProjectionSet(view_, &init);
    }

    // Reads a file into the window as the control does: the old kernel goes
    // first.
    int reopen(const fs::path &p)
    {
        KernelDelete(record.kernel);
        record.kernel = nullptr;
        OBJHANDLE root = 0;
        OBJectKernel *k = nullptr;
        const int r = ReadMapToKern(window, p.c_str(), &root, &k, 1);
        if (r) {
            kernel = k;
            all = root;
            EXPECT_EQ(record.kernel, k);
            EXPECT_EQ(SetRootOBJect(window, root), root);
        }
        return r;
    }

    std::vector<WindowMessage> progressOf(WPARAM kind)
    {
        std::vector<WindowMessage> out;
        for (const WindowMessage &m : windowMessages)
            if (m.msg == MAPN_PROGRESS && m.wParam == kind)
                out.push_back(m);
        return out;
    }

    fs::path dir_;
    PresentationManager *view_ = nullptr;
    int viewStandIn_ = 0; // only its address names the view
    size_t blocksBefore_ = 0;
    std::vector<OBJHANDLE> lines_, shapes_;
    OBJHANDLE group_ = 0;
};

// Every reference target exists, every incoming count is the number of slots
// pointing at the object, paired links have their partners, and the handle
// fields of the selection list name live objects.
void expectConsistent(OBJectKernel *k, OBJHANDLE root)
{
    const uint32_t n = GetFirstFree(k);
    std::vector<uint32_t> incoming(n, 0);
    for (OBJHANDLE h = 1; h < n; ++h) {
        const OBJectHead *head = HeadLock(k, h);
        if (!head)
            continue;
        for (uint32_t i = 0; i < head->refsHeld; ++i) {
            const OBJectRef r = LoadField<OBJectRef>(head, head->refOffset + 8 * i);
            ASSERT_LT(r.target, n) << "object " << h;
            ASSERT_NE(HeadLock(k, r.target), nullptr) << "object " << h << " slot " << i;
            ++incoming[r.target];
            if (r.id & REF_PAIRED) {
                EXPECT_GE(FindReference(k, r.target, uint16_t(r.id ^ 1), h), 0)
                    << "no partner of " << std::hex << r.id << " from " << std::dec << h;
            }
        }
        if (GetOBJectClassID(k, h) == CLASS_SELLIST) {
            const char *fixed = OBJectLock(k, h);
            for (size_t at : {size_t(GOH_SELSLOT), offsetof(SelList, lastDeselected)}) {
                const uint32_t v = LoadField<uint32_t>(fixed, at);
                if (v != 0 && v != 0xFFFFFFFF) {
                    EXPECT_NE(HeadLock(k, v), nullptr) << "selection list field " << at;
                }
            }
        }
    }
    for (OBJHANDLE h = 1; h < n; ++h) {
        if (const OBJectHead *head = HeadLock(k, h)) {
            EXPECT_EQ(head->refsIncoming, incoming[h]) << "object " << h;
        }
    }
    EXPECT_EQ(GetOBJectClassID(k, root), CLASS_ALLOBJECTS);
}

TEST_F(MapFileTest, SaveReadSaveGivesTheSameBytes)
{
    buildDocument();
    record.flags |= WNDRES_MODIFIED;
    ASSERT_EQ(MapSave(window, path("a.mpd").c_str()), 1);
    EXPECT_FALSE(record.flags & WNDRES_MODIFIED);
    const auto first = readAll(path("a.mpd"));
    ASSERT_GT(first.size(), sizeof(MapFileHeader));
    EXPECT_EQ(first[0], 'O');

    // The view and the page setup come back from the file.
    std::memset(GlobalLock(record.pageSetup), 0, MAPDOC_PAGESETUP_SIZE);
    GlobalUnlock(record.pageSetup);
    PM_InitStructTag blank{};
    UpperViewProjectionSet(view_, &blank);
    windowMessages.clear();
    ASSERT_EQ(reopen(path("a.mpd")), 1) << MapFileLastError();
    EXPECT_STREQ(static_cast<const char *>(GlobalLock(record.pageSetup)), "A4");
    GlobalUnlock(record.pageSetup);
    PM_InitStructTag init{};
    UpperViewProjectionGet(view_, &init);
    EXPECT_STREQ(init.parameterText, "zone=33");
    EXPECT_EQ(init.lengthUnit, 5);

    const auto reading = progressOf(MAPN_KIND_RUNNING);
    ASSERT_GE(reading.size(), 4u);
    EXPECT_EQ(reading.front().lParam, MAPN_PROGRESS_START);
    EXPECT_EQ(reading[1].lParam, 0);
    EXPECT_EQ(reading[reading.size() - 2].lParam, 100);
    EXPECT_EQ(reading.back().lParam, MAPN_PROGRESS_END);
    for (size_t i = 2; i + 2 < reading.size(); ++i)
        EXPECT_GT(reading[i].lParam, reading[i - 1].lParam);

    expectConsistent(kernel, all);
    ASSERT_EQ(MapSave(window, path("b.mpd").c_str()), 1);
    EXPECT_EQ(readAll(path("b.mpd")), first);
}

// Spare reference slots (a holder keeps some after growing) are not
// written, so that the bytes do not depend on the edits behind a document.
// A file that holds them, as written before, reads the same.
TEST_F(MapFileTest, SpareReferenceSlotsAreLeftOutAndStillRead)
{
    buildDocument();
    ASSERT_EQ(MapSave(window, path("a.mpd").c_str()), 1);
    const auto compact = readAll(path("a.mpd"));

    // Three empty slots more in every block that holds references.
    constexpr uint32_t kSpare = 3 * 8;
    std::vector<char> spare = compact;
    const std::vector<RecordAt> at = records(compact);
    int widened = 0;
    for (auto r = at.rbegin(); r != at.rend(); ++r) {
        if (r->head.kind != MAPREC_OBJECT)
            continue;
        OBJectHead h;
        std::memcpy(&h, compact.data() + r->offset + sizeof(MapRecordHead), sizeof h);
        if (h.refsHeld == 0)
            continue;
        MapRecordHead head = r->head;
        head.length += kSpare;
        h.size += kSpare;
        h.dataOffset += kSpare;
        const size_t block = r->offset + sizeof(MapRecordHead);
        spare.insert(spare.begin() + std::ptrdiff_t(block + h.refOffset + 8 * size_t(h.refsHeld)), kSpare,
                     '\0');
        std::memcpy(spare.data() + r->offset, &head, sizeof head);
        std::memcpy(spare.data() + block, &h, sizeof h);
        ++widened;
    }
    ASSERT_GT(widened, 3);
    writeAll(path("spare.mpd"), spare);

    ASSERT_EQ(reopen(path("spare.mpd")), 1) << MapFileLastError();
    expectConsistent(kernel, all);
    ASSERT_EQ(MapSave(window, path("b.mpd").c_str()), 1);
    EXPECT_TRUE(readAll(path("b.mpd")) == compact);
    ASSERT_EQ(reopen(path("b.mpd")), 1) << MapFileLastError();
    expectConsistent(kernel, all);
    ASSERT_EQ(MapSave(window, path("c.mpd").c_str()), 1);
    EXPECT_TRUE(readAll(path("c.mpd")) == compact);
}

TEST_F(MapFileTest, WritingSendsProgressAndSkipsHiddenObjects)
{
    buildDocument();
    const OBJHANDLE hidden = makeShape(layer0, CLASS_POLYLINE, 2);
    HeadLock(kernel, hidden)->flags |= OBJF_UNDOCOPY;
    windowMessages.clear();
    ASSERT_EQ(MapSave(window, path("a.mpd").c_str()), 1);
    const auto writing = progressOf(MAPN_KIND_WRITING);
    ASSERT_GE(writing.size(), 3u);
    EXPECT_EQ(writing[0].lParam, MAPN_PROGRESS_START);
    EXPECT_EQ(writing[1].lParam, 0);
    EXPECT_EQ(writing.back().lParam, MAPN_PROGRESS_END);
    EXPECT_NE(writing[writing.size() - 2].lParam, 100); // writing never reports 100

    const auto bytes = readAll(path("a.mpd"));
    int objects = 0;
    for (const RecordAt &r : records(bytes)) {
        EXPECT_NE(r.head.kind == MAPREC_OBJECT ? r.head.tag : 0u, hidden);
        objects += r.head.kind == MAPREC_OBJECT;
    }
    EXPECT_EQ(uint32_t(objects), kernel->objects - 1);
    EXPECT_EQ(records(bytes).back().head.kind, MAPREC_END);

    // The link to the hidden object does not survive the reading.
    ASSERT_EQ(reopen(path("a.mpd")), 1) << MapFileLastError();
    expectConsistent(kernel, all);
}

TEST_F(MapFileTest, HeaderOnlyFileIsAnEmptyDocument)
{
    MapFileHeader header{};
    header.letter = 'O';
    MemoryFile stream(&header, sizeof header);
    OBJHANDLE root = 12345;
    OBJectKernel *k = nullptr;
    ASSERT_EQ(ReadMapFromStream(0, stream, &root, &k, 0, nullptr), 1);
    EXPECT_EQ(root, 12345u);
    EXPECT_EQ(k->objects, 0u);
    KernelDelete(k);
}

// Damaged files are refused with a reason, and neither the window nor the
// process's counters change.
TEST_F(MapFileTest, DamagedFilesAreRefused)
{
    buildDocument();
    ASSERT_EQ(MapSave(window, path("a.mpd").c_str()), 1);
    const auto good = readAll(path("a.mpd"));
    const auto recs = records(good);
    auto firstOf = [&](uint8_t kind, uint32_t tag = 0) {
        for (const RecordAt &r : recs)
            if (r.head.kind == kind && (!tag || r.head.tag == tag))
                return r;
        ADD_FAILURE() << "no record";
        return recs.front();
    };
    // An object with references, and the number of a slot beyond first free.
    RecordAt holder{};
    for (const RecordAt &r : recs) {
        OBJectHead h;
        std::memcpy(&h, good.data() + r.offset + 12, r.head.kind == MAPREC_OBJECT ? sizeof h : 0);
        if (r.head.kind == MAPREC_OBJECT && h.refsHeld > 0) {
            holder = r;
            break;
        }
    }
    ASSERT_NE(holder.offset, 0u);
    const RecordAt object = firstOf(MAPREC_OBJECT);
    const RecordAt bankRec = firstOf(MAPREC_DOCUMENT, MAPDOC_BANK);
    const size_t body = object.offset + 12;
    const size_t holderBody = holder.offset + 12;
    OBJectHead holderHead;
    std::memcpy(&holderHead, good.data() + holderBody, sizeof holderHead);
    uint32_t firstFree;
    std::memcpy(&firstFree, good.data() + bankRec.offset + 12 + 4, 4);

    struct Case {
        const char *name;
        std::function<void(std::vector<char> &)> damage;
    };
    auto put32 = [](std::vector<char> &b, size_t at, uint32_t v) { std::memcpy(b.data() + at, &v, 4); };
    auto put16 = [](std::vector<char> &b, size_t at, uint16_t v) { std::memcpy(b.data() + at, &v, 2); };
    const Case cases[] = {
        {"empty file", [](auto &b) { b.clear(); }},
        {"short header", [](auto &b) { b.resize(60); }},
        {"wrong letter", [](auto &b) { b[0] = 'X'; }},
        {"cut inside a record head", [&](auto &b) { b.resize(object.offset + 5); }},
        {"cut inside an object", [&](auto &b) { b.resize(body + 30); }},
        {"cut inside a document record", [&](auto &b) { b.resize(bankRec.offset + 12 + 7); }},
        {"unknown record kind", [&](auto &b) { b[object.offset] = 9; }},
        {"object shorter than a head", [&](auto &b) { put32(b, object.offset + 4, 20); }},
        {"huge object length", [&](auto &b) { put32(b, object.offset + 4, 0xFFFFFFF0u); }},
        {"huge document length",
         [&](auto &b) {
             put32(b, bankRec.offset + 4, 0x7FFFFFF0u);
             b[bankRec.offset + 8] = 77;
         }},
        {"head size differs from record", [&](auto &b) { put32(b, body + 4, object.head.length + 8); }},
        {"unregistered class", [&](auto &b) { put32(b, body, 31); }},
        {"class index far out", [&](auto &b) { put32(b, body, 0x80000000u); }},
        {"old head form", [&](auto &b) { put16(b, body + 8, 0); }},
        {"reference offset inside the head", [&](auto &b) { put16(b, body + 20, 4); }},
        {"data offset past the block", [&](auto &b) { put32(b, body + 24, object.head.length + 1); }},
        {"references past their room", [&](auto &b) { put32(b, holderBody + 12, 0x10000000u); }},
        {"target past first free",
         [&](auto &b) { put32(b, holderBody + holderHead.refOffset, firstFree + 3); }},
        {"slot 0", [&](auto &b) { put32(b, object.offset + 8, 0); }},
        {"slot past the table", [&](auto &b) { put32(b, object.offset + 8, 0xFFFFFF00u); }},
        {"object past first free", [&](auto &b) { put32(b, object.offset + 8, firstFree + 1); }},
        {"first free zero", [&](auto &b) { put32(b, bankRec.offset + 16, 0); }},
        {"first free huge", [&](auto &b) { put32(b, bankRec.offset + 16, 0xFFFFFFFFu); }},
        {"first free below the objects",
         [&](auto &b) {
             // The bank record moved behind the objects, naming too few slots.
             std::vector<char> bank(b.begin() + bankRec.offset, b.begin() + bankRec.offset + 32);
             std::memcpy(bank.data() + 16, "\x02\0\0\0", 4);
             b.erase(b.begin() + bankRec.offset, b.begin() + bankRec.offset + 32);
             b.insert(b.end() - 12, bank.begin(), bank.end());
         }},
        {"slot twice",
         [&](auto &b) {
             std::vector<char> copy(b.begin() + object.offset, b.begin() + body + object.head.length);
             b.insert(b.end() - 12, copy.begin(), copy.end());
         }},
    };
    boxes.clear();
    const OBJectGlobalCounters countersBefore = GlobalObjectCounters();
    OBJectKernel *const kernelBefore = record.kernel;
    const OBJHANDLE rootBefore = record.rootObject;
    const size_t blocks = GlobalBlockCount();
    for (const Case &c : cases) {
        std::vector<char> bytes = good;
        c.damage(bytes);
        writeAll(path("bad.mpd"), bytes);
        windowMessages.clear();
        OBJHANDLE root = 0;
        OBJectKernel *k = nullptr;
        EXPECT_EQ(ReadMapToKern(window, path("bad.mpd").c_str(), &root, &k, 1), 0) << c.name;
        EXPECT_FALSE(MapFileLastError().empty()) << c.name;
        EXPECT_EQ(k, nullptr) << c.name;
        EXPECT_EQ(root, 0u) << c.name;
        EXPECT_EQ(record.kernel, kernelBefore) << c.name;
        EXPECT_EQ(record.rootObject, rootBefore) << c.name;
        const auto p = progressOf(MAPN_KIND_RUNNING);
        if (!p.empty()) {
            EXPECT_EQ(p.back().lParam, MAPN_PROGRESS_END) << c.name;
        }
    }
    const OBJectGlobalCounters countersAfter = GlobalObjectCounters();
    EXPECT_EQ(countersAfter.objects, countersBefore.objects);
    EXPECT_EQ(GlobalBlockCount(), blocks);
    EXPECT_TRUE(boxes.empty()); // reading shows no message box
    // The good file still reads.
    EXPECT_EQ(reopen(path("a.mpd")), 1) << MapFileLastError();
}

TEST_F(MapFileTest, UnknownAndMisSizedDocumentRecordsAreSkipped)
{
    buildDocument();
    ASSERT_EQ(MapSave(window, path("a.mpd").c_str()), 1);
    auto bytes = readAll(path("a.mpd"));
    for (const RecordAt &r : records(bytes))
        if (r.head.kind == MAPREC_DOCUMENT && r.head.tag == MAPDOC_KERNEL) {
            // Tag 1 with another length: passed over as a whole.
            const uint32_t len = r.head.length - 4;
            std::memcpy(bytes.data() + r.offset + 4, &len, 4);
            bytes.erase(bytes.begin() + r.offset + 12, bytes.begin() + r.offset + 16);
        }
    const char unknown[] = {2, 0, 0, 0, 3, 0, 0, 0, 99, 0, 0, 0, 'x', 'y', 'z'};
    bytes.insert(bytes.begin() + sizeof(MapFileHeader), std::begin(unknown), std::end(unknown));
    writeAll(path("b.mpd"), bytes);
    const uint32_t objects = kernel->objects;
    ASSERT_EQ(reopen(path("b.mpd")), 1) << MapFileLastError();
    EXPECT_EQ(kernel->objects, objects);
}

// The incoming counts come from the references read, not from the file,
// whichever objects the file gets wrong.
TEST_F(MapFileTest, WrongStoredIncomingCountsAreCountedAgain)
{
    buildDocument();
    ASSERT_EQ(MapSave(window, path("a.mpd").c_str()), 1);
    auto bytes = readAll(path("a.mpd"));
    int changed = 0;
    for (const RecordAt &r : records(bytes)) {
        if (r.head.kind != MAPREC_OBJECT)
            continue;
        OBJectHead h;
        std::memcpy(&h, bytes.data() + r.offset + 12, sizeof h);
        // Raised on some, dropped to zero on others that have some.
        const uint32_t wrong = changed % 2 ? h.refsIncoming + 5 : 0;
        if (wrong != h.refsIncoming) {
            std::memcpy(bytes.data() + r.offset + 12 + offsetof(OBJectHead, refsIncoming), &wrong, 4);
            ++changed;
        }
    }
    ASSERT_GT(changed, 4);
    writeAll(path("b.mpd"), bytes);
    ASSERT_EQ(reopen(path("b.mpd")), 1) << MapFileLastError();
    expectConsistent(kernel, all);
    ASSERT_EQ(MapSave(window, path("c.mpd").c_str()), 1);
    EXPECT_EQ(readAll(path("c.mpd")), readAll(path("a.mpd")));
}

// A reference to slot 0 is taken out like one to an object that is not
// there, and the document still reads.
TEST_F(MapFileTest, ReferenceToSlotZeroIsDropped)
{
    buildDocument();
    const uint32_t objects = kernel->objects;
    ASSERT_EQ(MapSave(window, path("a.mpd").c_str()), 1);
    auto bytes = readAll(path("a.mpd"));
    const auto [holderSlot, heldBefore] = retargetFirstReference(bytes, 0, group_);
    ASSERT_NE(holderSlot, 0u);
    writeAll(path("b.mpd"), bytes);
    ASSERT_EQ(reopen(path("b.mpd")), 1) << MapFileLastError();
    EXPECT_EQ(kernel->objects, objects);
    const OBJectHead *head = HeadLock(kernel, holderSlot);
    ASSERT_NE(head, nullptr);
    EXPECT_EQ(head->refsHeld, heldBefore - 1);
    for (uint32_t i = 0; i < head->refsHeld; ++i)
        EXPECT_NE(LoadField<uint32_t>(head, head->refOffset + 8 * i), 0u);
}

// The bank record may follow the objects: the counts kept while reading
// grow with the slots met, and the document reads as it was.
TEST_F(MapFileTest, BankRecordAfterTheObjects)
{
    buildDocument();
    ASSERT_EQ(MapSave(window, path("a.mpd").c_str()), 1);
    auto bytes = readAll(path("a.mpd"));
    moveBankRecordToEnd(bytes, [](std::vector<char> &) {});
    writeAll(path("b.mpd"), bytes);
    const uint32_t objects = kernel->objects;
    ASSERT_EQ(reopen(path("b.mpd")), 1) << MapFileLastError();
    EXPECT_EQ(kernel->objects, objects);
    expectConsistent(kernel, all);
    ASSERT_EQ(MapSave(window, path("c.mpd").c_str()), 1);
    EXPECT_EQ(readAll(path("c.mpd")), readAll(path("a.mpd")));
}

// The bank words are bounded by what the file holds: a small file whose bank
// record asks for millions of slots is refused at once, without a slot table
// of that size; a stored capacity is never taken as the table's size.
TEST_F(MapFileTest, BankWordsBeyondTheFileAreRefused)
{
    buildDocument();
    ASSERT_EQ(MapSave(window, path("a.mpd").c_str()), 1);
    const auto good = readAll(path("a.mpd"));
    struct Case {
        const char *what;
        uint32_t words[5]; // capacity, first free, freed count, lowest freed, reuse
        bool late;         // the bank record after the objects
        bool reads;
    };
    const Case cases[] = {
        {"huge first free", {1u << 24, 1u << 24, 0, 0, 1}, false, false},
        {"huge first free, late", {1u << 24, 1u << 24, 0, 0, 1}, true, false},
        {"first free past the objects", {10000, 20000, 0, 0, 1}, true, false},
        {"lowest freed past first free", {10000, 0, 0, 0xFFFFFF, 1}, false, false},
        {"huge capacity only", {1u << 24, 0, 0, 0, 1}, false, true},
    };
    struct rusage before {};
    getrusage(RUSAGE_SELF, &before);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        auto bytes = good;
        auto edit = [&](std::vector<char> &bank) {
            uint32_t words[5];
            std::memcpy(words, bank.data() + 12, sizeof words);
            for (int i = 0; i < 5; ++i)
                if (c.words[i] || i == 2)
                    words[i] = c.words[i];
            std::memcpy(bank.data() + 12, words, sizeof words);
        };
        if (c.late) {
            moveBankRecordToEnd(bytes, edit);
        } else {
            for (const RecordAt &r : records(bytes))
                if (r.head.kind == MAPREC_DOCUMENT && r.head.tag == MAPDOC_BANK) {
                    std::vector<char> bank(bytes.begin() + r.offset, bytes.begin() + r.offset + 32);
                    edit(bank);
                    std::copy(bank.begin(), bank.end(), bytes.begin() + r.offset);
                }
        }
        writeAll(path("b.mpd"), bytes);
        OBJectKernel *const old = record.kernel;
        OBJectKernel *k = nullptr;
        const int r = ReadMapToKern(window, path("b.mpd").c_str(), nullptr, &k, 0);
        EXPECT_EQ(r, c.reads ? 1 : 0) << MapFileLastError();
        if (r) {
            EXPECT_EQ(k->bank->capacity, BANK_INITIAL_ENTRIES);
            record.kernel = old;
            KernelDelete(k);
        } else {
            EXPECT_NE(MapFileLastError().find("The map document is damaged"), std::string::npos);
            EXPECT_EQ(record.kernel, old);
        }
    }
    // A table of 2^24 slots alone would take 128 MiB.
    struct rusage after {};
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 64L * 1024);
}

// A document of several MiB, with records across the reader's blocks and
// one object larger than a block, reads back to the same bytes; cut at any
// of many places, it is refused.
TEST_F(MapFileTest, LargeDocumentReadsBackAcrossBlocks)
{
    buildDocument();
    for (int i = 0; i < 30000; ++i)
        makeShape(layer0, CLASS_POLYLINE, 3 + i % 7);
    makeShape(layer0, CLASS_POLYGON, 700000);
    ASSERT_EQ(MapSave(window, path("a.mpd").c_str()), 1);
    const auto first = readAll(path("a.mpd"));
    ASSERT_GT(first.size(), size_t(9) << 20);
    const uint32_t objects = kernel->objects;
    ASSERT_EQ(reopen(path("a.mpd")), 1) << MapFileLastError();
    EXPECT_EQ(kernel->objects, objects);
    expectConsistent(kernel, all);
    ASSERT_EQ(MapSave(window, path("b.mpd").c_str()), 1);
    EXPECT_EQ(readAll(path("b.mpd")), first);

    OBJectKernel *const kernelBefore = record.kernel;
    for (size_t cut : {size_t(4) << 20, (size_t(4) << 20) + 5, first.size() / 2, first.size() - 13,
                       first.size() - 100000}) {
        writeAll(path("cut.mpd"), std::vector<char>(first.begin(), first.begin() + cut));
        OBJectKernel *k = nullptr;
        EXPECT_EQ(ReadMapToKern(window, path("cut.mpd").c_str(), nullptr, &k, 0), 0) << cut;
        EXPECT_NE(MapFileLastError().find("damaged"), std::string::npos) << cut;
        EXPECT_EQ(k, nullptr);
        EXPECT_EQ(record.kernel, kernelBefore);
    }
}

// The stored strings end inside their fields even when the file's do not.
TEST_F(MapFileTest, StoredTextsAreTerminated)
{
    const OBJHANDLE roads = CreateLayerOBJect(kernel, layers, 7, "Roads");
    char *fixed = OBJectLock(kernel, roads);
    std::memset(fixed + offsetof(Layer, name), 'N', LAYER_NAME_SIZE);
    ASSERT_EQ(MapSave(window, path("a.mpd").c_str()), 1);
    ASSERT_EQ(reopen(path("a.mpd")), 1);
    const OBJHANDLE found = FindLayer(kernel, GetRootOBJKern(kernel, all, CLASS_LAYERS), 7, nullptr);
    ASSERT_NE(found, 0u);
    EXPECT_EQ(name(found), std::string(LAYER_NAME_SIZE - 1, 'N'));
}

TEST_F(MapFileTest, CompressionClosesHolesAndRemapsHandles)
{
    const OBJHANDLE a = makeShape(layer0, CLASS_POLYLINE, 2);
    const OBJHANDLE gap1 = makeObject();
    const OBJHANDLE b = makeShape(layer0, CLASS_POLYLINE, 2);
    const OBJHANDLE gap2 = makeObject();
    const OBJHANDLE c = makeShape(layer0, CLASS_POLYLINE, 3);
    ASSERT_EQ(SetSelection(window, &c, 1, 0, 0), 1u);
    OBJectDelete(kernel, gap1);
    OBJectDelete(kernel, gap2);
    const uint32_t before = GetFirstFree(kernel);
    const uint32_t cPoints = LoadField<uint32_t>(OBJectLock(kernel, c), PS_COUNT);
    ASSERT_EQ(CompressKernel(window), 1);
    // c moved into the first hole; first free comes down to just above the
    // highest object, as in a bank that never had holes.
    EXPECT_EQ(GetFirstFree(kernel), before - 2);
    EXPECT_EQ(HeadLock(kernel, gap2), nullptr);
    EXPECT_EQ(LoadField<uint32_t>(OBJectLock(kernel, gap1), PS_COUNT), cPoints);
    EXPECT_EQ(HeadLock(kernel, c), nullptr);
    EXPECT_NE(HeadLock(kernel, a), nullptr);
    EXPECT_NE(HeadLock(kernel, b), nullptr);
    EXPECT_EQ(selected(), std::vector<OBJHANDLE>{gap1});
    EXPECT_EQ(LoadField<uint32_t>(OBJectLock(kernel, selList), GOH_SELSLOT), gap1);
    expectConsistent(kernel, record.rootObject);
    // A kernel without holes stays as it is.
    const uint32_t now = GetFirstFree(kernel);
    EXPECT_EQ(CompressKernelWithRoot(kernel, all), all);
    EXPECT_EQ(GetFirstFree(kernel), now);
}

TEST_F(MapFileTest, SelectionKernelKeepsItsLinks)
{
    buildDocument();
    const OBJHANDLE pick[] = {lines_[1], shapes_[0]};
    ASSERT_EQ(SetSelection(window, pick, 2, 0, 0), 2u);
    OBJectKernel *sel = KernFromSel(window);
    ASSERT_NE(sel, nullptr);
    // Its root is the lowest AllOBJects object.
    OBJHANDLE root = 0;
    for (OBJHANDLE h = 1; h < GetFirstFree(sel) && !root; ++h)
        if (GetOBJectClassID(sel, h) == CLASS_ALLOBJECTS)
            root = h;
    expectConsistent(sel, root);
    uint32_t polylines = 0, polygons = 0, slotsUsed = 0;
    for (OBJHANDLE h = 1; h < GetFirstFree(sel); ++h) {
        polylines += GetOBJectClassID(sel, h) == CLASS_POLYLINE;
        polygons += GetOBJectClassID(sel, h) == CLASS_POLYGON;
        slotsUsed += HeadLock(sel, h) != nullptr;
    }
    EXPECT_EQ(polylines, 1u);
    EXPECT_EQ(polygons, 1u);
    EXPECT_GE(slotsUsed + 2, GetFirstFree(sel)); // compressed
    EXPECT_EQ(sel->objects, slotsUsed);
    KernelDelete(sel);

    // Saved as a file it reads back as a document; the modified flag stays.
    record.flags |= WNDRES_MODIFIED;
    ASSERT_EQ(MapSaveSelection(window, path("sel.mpd").c_str()), 2);
    EXPECT_TRUE(record.flags & WNDRES_MODIFIED);
    ASSERT_EQ(reopen(path("sel.mpd")), 1) << MapFileLastError();
    expectConsistent(kernel, all);
}

TEST_F(MapFileTest, CopyTreeDoesNotFollowBackLinks)
{
    buildDocument();
    OBJectKernel *dst = KernelNew();
    ASSERT_EQ(BankSetMaxEntries(dst->bank, GetFirstFree(kernel)), 1);
    EXPECT_EQ(CopyTree(kernel, group_, dst->bank), 1);
    EXPECT_NE(BankLock(dst->bank, lines_[0]), nullptr); // member
    EXPECT_EQ(BankLock(dst->bank, aspect), nullptr);    // parent: a back link
    EXPECT_EQ(BankLock(dst->bank, layer0), nullptr);
    EXPECT_EQ(CopyTree(kernel, 0, dst->bank), 0);
    EXPECT_EQ(CopyToBank(kernel, GetFirstFree(kernel) + 5, dst->bank), 0);
    KernelDelete(dst);
}

TEST_F(MapFileTest, ClipboardStreamLeavesModifiedFlag)
{
    buildDocument();
    for (int command : {MAPCLIP_COPY, MAPCLIP_MAP, MAPCLIP_PAGE}) {
        record.flags |= WNDRES_MODIFIED;
        MemoryFile stream;
        const int r = MapSaveToClipboard(window, stream, command);
        EXPECT_EQ(r, command == MAPCLIP_COPY ? 2 : 1) << command;
        EXPECT_TRUE(record.flags & WNDRES_MODIFIED) << command;
        const MapFileHeader *h = reinterpret_cast<const MapFileHeader *>(stream.Data().data());
        EXPECT_EQ(h->word8, 1);
        EXPECT_EQ(h->word12, 1);
        for (const RecordAt &rec : records(stream.Data())) {
            EXPECT_FALSE(rec.head.kind == MAPREC_DOCUMENT && rec.head.tag == MAPDOC_PAGESETUP);
        }
        if (command == MAPCLIP_PAGE) {
            EXPECT_STREQ(reinterpret_cast<const char *>(h->extra), "page");
            int32_t margins[4];
            std::memcpy(margins, h->extra + MAPFILE_PAGE_MARGINS, sizeof margins);
            EXPECT_EQ(margins[0], 100);
            EXPECT_EQ(margins[3], 250);
        }
        // A clipboard stream reads back with the preview flags cleared.
        const OBJHANDLE roads = FindLayer(kernel, layers, 7, nullptr);
        char *fixed = OBJectLock(kernel, roads);
        StoreField<uint16_t>(
            fixed, offsetof(Layer, display),
            uint16_t(LoadField<uint16_t>(fixed, offsetof(Layer, display)) | LAYER_PREVIEW_FLAG));
        MemoryFile again(stream.Data().data(), stream.Data().size());
        OBJectKernel *k = nullptr;
        OBJHANDLE root = 0;
        ASSERT_EQ(ReadMapFromStream(0, again, &root, &k, 0, nullptr), 1) << command;
        if (command != MAPCLIP_COPY) {
            const OBJHANDLE lr = GetRootOBJKern(k, root, CLASS_LAYERS);
            const OBJHANDLE copy = FindLayer(k, lr, 7, nullptr);
            ASSERT_NE(copy, 0u);
            EXPECT_FALSE(LoadField<uint16_t>(OBJectLock(k, copy), offsetof(Layer, display)) &
                         LAYER_PREVIEW_FLAG);
        }
        KernelDelete(k);
    }
}

TEST_F(MapFileTest, FailedSaveKeepsTheOriginal)
{
    buildDocument();
    ASSERT_EQ(MapSave(window, path("a.mpd").c_str()), 1);
    const auto original = readAll(path("a.mpd"));
    for (int i = 0; i < 50; ++i)
        makeShape(layer0, CLASS_POLYLINE, 100);
    record.flags |= WNDRES_MODIFIED;
    boxes.clear();

    // The file system refuses to grow the file past a few bytes.
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int r = MapSave(window, path("a.mpd").c_str());
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(r, 0);
    EXPECT_EQ(readAll(path("a.mpd")), original);
    EXPECT_TRUE(record.flags & WNDRES_MODIFIED);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("a.mpd"), std::string::npos);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
    const auto writing = progressOf(MAPN_KIND_WRITING);
    ASSERT_FALSE(writing.empty());
    EXPECT_EQ(writing.back().lParam, MAPN_PROGRESS_END);
}

// Runs body in a child process under an unprivileged user (root ignores
// file permissions; a test run by a user already is one); its exit code is
// the result, -1 when it did not end.
template <typename Body>
int asUnprivileged(Body body)
{
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(99);
        _exit(body());
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::set<std::string> listing(const fs::path &dir)
{
    std::set<std::string> out;
    for (const auto &e : fs::directory_iterator(dir))
        out.insert(e.path().filename().string());
    return out;
}

// Saving never replaces a file the user may not write, nor writes into a
// folder the user may not write: the save is refused with the reason, and
// the old file stays as it was.
TEST_F(MapFileTest, SaveHonoursPermissions)
{
    buildDocument();
    ASSERT_EQ(MapSave(window, path("locked.mpd").c_str()), 1);
    fs::create_directory(path("closed"));
    ASSERT_EQ(MapSave(window, path("closed/doc.mpd").c_str()), 1);
    const auto locked = readAll(path("locked.mpd")), inClosed = readAll(path("closed/doc.mpd"));
    makeShape(layer0, CLASS_POLYLINE, 20); // the document differs from the files now
    fs::permissions(dir_, fs::perms::all);
    fs::permissions(path("locked.mpd"),
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(path("closed/doc.mpd"), fs::perms::all);
    fs::permissions(path("closed"), fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                        fs::perms::group_exec | fs::perms::others_read |
                                        fs::perms::others_exec);
    for (const char *name : {"locked.mpd", "closed/doc.mpd", "closed/new.mpd"}) {
        SCOPED_TRACE(name);
        const int result = asUnprivileged([&] {
            boxes.clear();
            if (MapSave(window, path(name).c_str()) != 0)
                return 1;
            if (boxes.size() != 1 || boxes[0].text.find("Permission denied") == std::string::npos)
                return 2;
            return 0;
        });
        EXPECT_EQ(result, 0);
    }
    EXPECT_EQ(readAll(path("locked.mpd")), locked);
    EXPECT_EQ(readAll(path("closed/doc.mpd")), inClosed);
    EXPECT_EQ(listing(path("closed")), std::set<std::string>{"doc.mpd"});
    EXPECT_EQ(listing(dir_), (std::set<std::string>{"closed", "locked.mpd"}));
    fs::permissions(path("closed"), fs::perms::owner_all);
}

// A save killed at any moment leaves the old or the new document whole, and
// no temporary file outlives the next save in that folder.
TEST_F(MapFileTest, KilledSaveLeavesOldOrNewDocument)
{
    buildDocument();
    for (int i = 0; i < 200; ++i)
        makeShape(layer0, CLASS_POLYLINE, 500);
    ASSERT_EQ(MapSave(window, path("doc.mpd").c_str()), 1);
    const auto oldBytes = readAll(path("doc.mpd"));
    makeShape(layer0, CLASS_POLYGON, 700);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(MapSave(window, path("new.mpd").c_str()), 1);
    const auto took =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    const auto newBytes = readAll(path("new.mpd"));
    ASSERT_NE(oldBytes, newBytes);
    std::mt19937 random(20261211);
    int killed = 0;
    for (int round = 0; round < 12; ++round) {
        // The child's own timer ends it at a random moment of its save.
        const long at = 1 + long(random() % uint64_t(took.count() * 5 / 4 + 1));
        const pid_t child = fork();
        if (child == 0) {
            struct itimerval timer {};
            timer.it_value.tv_sec = at / 1000000;
            timer.it_value.tv_usec = at % 1000000;
            std::signal(SIGALRM, SIG_DFL);
            setitimer(ITIMER_REAL, &timer, nullptr);
            MapSave(window, path("doc.mpd").c_str());
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        killed += WIFSIGNALED(status);
        const auto now = readAll(path("doc.mpd"));
        EXPECT_TRUE(now == oldBytes || now == newBytes) << "round " << round;
        if (now == newBytes) // start again from the old document
            writeAll(path("doc.mpd"), oldBytes);
    }
    EXPECT_GT(killed, 0);
    ASSERT_EQ(MapSave(window, path("doc.mpd").c_str()), 1);
    EXPECT_EQ(listing(dir_), (std::set<std::string>{"doc.mpd", "new.mpd"}));
}

TEST_F(MapFileTest, UncreatableFileShowsTheReason)
{
    EXPECT_EQ(MapSave(window, (dir_ / "missing" / "a.mpd").c_str()), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("No such file"), std::string::npos) << boxes[0].text;
}

TEST_F(MapFileTest, SaveWithoutNameAsksAndHonoursTheCheckBox)
{
    buildDocument();
    int asked = 0;
    auto old =
        SetMapSaveDialogHook([&](const FileDialogRequest &req, int *selection) -> std::optional<std::string> {
            ++asked;
            EXPECT_FALSE(req.filters.empty());
            if (asked == 1)
                return std::nullopt;
            *selection = 1;
            return path("chosen.mpd").string();
        });
    EXPECT_EQ(MapSave(window, nullptr), 0);
    EXPECT_FALSE(fs::exists(path("chosen.mpd")));
    EXPECT_EQ(MapSave(window, ""), 2); // the check box asked for the selection
    EXPECT_TRUE(fs::exists(path("chosen.mpd")));
    SetMapSaveDialogHook(old);
}

} // namespace
