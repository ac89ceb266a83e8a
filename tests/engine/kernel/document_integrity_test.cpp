// Long random sequences of document operations (create, change, move between
// layers, group, delete, select, undo and redo, history resets, save and
// read) with the store checked after every step against a simple model:
// contents, layer membership, every reference paired, counts; and the byte
// rules: save, read, save gives the same file; undoing every step gives the
// document of the start and redoing them the document before the undos.
#include "docmodel_fixture.h"

#include "engine/kernel/bank.h"
#include "engine/kernel/map_file.h"
#include "engine/kernel/undo.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <unistd.h>

namespace {

using docmodeltest::DocModelTest;
namespace fs = std::filesystem;

std::vector<char> readAll(const fs::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool shown(const OBJectHead *head) { return head && !(head->flags & (UNDO_HIDDEN_FLAGS | OBJF_DELETED)); }

// One object of the model: what the user made of it.
struct ModelObject {
    uint16_t cls;
    std::string content; // the points or the text
    int layer;           // index into the fixture's layers
    int group;           // model id of its group, -1 none

    bool operator==(const ModelObject &) const = default;
};

// The document as the user sees it, by model id.
struct Model {
    std::map<int, ModelObject> objects;
    std::map<int, std::vector<int>> groups; // group id -> member ids

    bool operator==(const Model &) const = default;
};

// Everything of the store that a save could tell apart, with the members of
// lists as sets: an added object that redo shows again is appended at the
// end of its holders (its layer, its group, the selection list), so every
// member comes back but not always to its place.
struct StoreImage {
    std::map<OBJHANDLE, std::string> objects;
    bool operator==(const StoreImage &) const = default;
};

class DocumentIntegrityTest : public DocModelTest {
protected:
    void SetUp() override
    {
        DocModelTest::SetUp();
        if (HasFatalFailure())
            return;
        record.undoEnabled = 1;
        dir_ = fs::temp_directory_path() / ("integrity_test_" + std::to_string(getpid()));
        fs::create_directories(dir_);
        layerOf_ = {layer0, CreateLayerOBJect(kernel, layers, 1, "second"),
                    CreateLayerOBJect(kernel, layers, 2, "third")};
        ASSERT_NE(layerOf_[1], 0u);
        ASSERT_NE(layerOf_[2], 0u);
        Undo_Reset(kernel);
    }

    void TearDown() override
    {
        kernel = record.kernel;
        DocModelTest::TearDown();
        fs::remove_all(dir_);
    }

    fs::path path(const std::string &name) const { return dir_ / name; }

    // ---- operations ------------------------------------------------------

    std::string pointsContent(int seed, int n)
    {
        std::string s;
        for (int i = 0; i < n; ++i) {
            const int32_t xy[2] = {seed * 7 + i, seed * 3 - i};
            s.append(reinterpret_cast<const char *>(xy), sizeof xy);
        }
        return s;
    }

    // A text's characters are its data space, written through the store as
    // the text code does; a line's points, its point list.
    void writeContent(OBJHANDLE h, uint16_t cls, const std::string &content)
    {
        if (cls == CLASS_TEXT) {
            // Texts only grow here (the caller pads them), so that the store
            // tells the holders of every new size.
            ASSERT_GE(content.size(), DataSpaceSize(kernel, h));
            if (!content.empty()) {
                ASSERT_EQ(TransferOBJectData(kernel, h, const_cast<char *>(content.data()),
                                             uint32_t(content.size()), 1),
                          content.size());
            }
            return;
        }
        std::vector<_COORDPT> pts(content.size() / sizeof(_COORDPT));
        if (!content.empty())
            std::memcpy(pts.data(), content.data(), content.size());
        setPoints(h, pts);
    }

    std::string readContent(OBJHANDLE h, uint16_t cls)
    {
        const uint32_t n = cls == CLASS_TEXT ? DataSpaceSize(kernel, h)
                                             : LoadField<uint32_t>(OBJectLock(kernel, h), PS_COUNT) * 8;
        std::string s(n, '\0');
        if (n)
            TransferOBJectData(kernel, h, s.data(), n, 0);
        return s;
    }

    int create(uint16_t cls, int layer, const std::string &content)
    {
        const OBJHANDLE h = CreateOBJect(kernel, cls);
        EXPECT_NE(h, 0u);
        writeContent(h, cls, content);
        EXPECT_NE(InsertLayerRef(kernel, h, layerOf_[size_t(layer)]), OBJ_INVALID);
        EXPECT_EQ(Undo_AddNew(kernel, h), 1);
        const int id = nextId_++;
        handleOf_[id] = h;
        // The store may round a data space up: the model has what it holds.
        model_.objects[id] = {cls, readContent(h, cls), layer, -1};
        return id;
    }

    std::vector<int> liveIds(bool drawablesOnly) const
    {
        std::vector<int> out;
        for (const auto &[id, o] : model_.objects)
            if (!drawablesOnly || o.cls != CLASS_GROUP)
                out.push_back(id);
        return out;
    }

    // ---- checks ----------------------------------------------------------

    // Every shown object's references name shown objects, every paired one
    // has its partner as often, every incoming count is the number of
    // references from shown objects, and the selection list's handle fields
    // name shown objects.
    void checkStore(const std::string &when)
    {
        SCOPED_TRACE(when);
        const uint32_t n = GetFirstFree(kernel);
        std::map<OBJHANDLE, uint32_t> pointing;
        std::map<std::tuple<OBJHANDLE, uint16_t, OBJHANDLE>, int> links;
        uint32_t blocks = 0, copies = 0;
        std::set<OBJHANDLE> savedCopies;
        for (uint32_t i = 0; i < kernel->bank->undoEnd; ++i)
            if (const void *r = kernel->bank->undoRecords[i]; UndoRecordKind(r) == UNDO_CHANGED)
                savedCopies.insert(static_cast<const UndoChangeRecord *>(r)->copy);
        for (OBJHANDLE h = 1; h < n; ++h) {
            const OBJectHead *head = HeadLock(kernel, h);
            if (!head)
                continue;
            ++blocks;
            copies += (head->flags & OBJF_UNDOCOPY) ? 1 : 0;
            // A hidden object keeps its references, which still count in
            // their targets; a saved copy's do not.
            if (savedCopies.count(h))
                continue;
            uint16_t id;
            OBJHANDLE t;
            for (int32_t i = 0; GetRef(kernel, h, &id, &t, i); ++i) {
                ++pointing[t];
                if (!shown(head))
                    continue;
                ASSERT_TRUE(shown(HeadLock(kernel, t))) << "object " << h << " names " << t;
                if (id & REF_PAIRED)
                    ++links[{h, id, t}];
            }
        }
        for (const auto &[link, count] : links) {
            const auto &[h, id, t] = link;
            const auto partner = links.find({t, uint16_t(id ^ 1), h});
            ASSERT_TRUE(partner != links.end() && partner->second == count)
                << "one-sided link " << std::hex << id << std::dec << " from " << h << " to " << t;
        }
        for (OBJHANDLE h = 1; h < n; ++h) {
            const OBJectHead *head = HeadLock(kernel, h);
            if (shown(head)) {
                ASSERT_EQ(head->refsIncoming, pointing[h]) << "incoming count of " << h;
            }
        }
        EXPECT_EQ(kernel->objects, blocks);
        EXPECT_EQ(kernel->undoCopies, copies);
        const char *list = OBJectLock(kernel, selList);
        const uint32_t current = LoadField<uint32_t>(list, GOH_SELSLOT);
        const uint32_t last = LoadField<uint32_t>(list, offsetof(SelList, lastDeselected));
        if (current != 0xFFFFFFFFu) {
            EXPECT_TRUE(shown(HeadLock(kernel, current))) << "current " << current;
        }
        if (last != 0) {
            EXPECT_TRUE(shown(HeadLock(kernel, last))) << "last deselected " << last;
        }
        if (HasFailure())
            dumpTrail();
    }

    // The store agrees with the model: contents, layers and groups of every
    // object, and nothing else is drawn.
    void checkModel(const std::string &when)
    {
        SCOPED_TRACE(when);
        std::map<OBJHANDLE, std::vector<OBJHANDLE>> members;
        for (const auto &[id, o] : model_.objects) {
            const OBJHANDLE h = handleOf_.at(id);
            ASSERT_TRUE(shown(HeadLock(kernel, h))) << "model object " << id;
            if (o.cls != CLASS_GROUP) {
                EXPECT_EQ(readContent(h, o.cls), o.content) << "model object " << id;
                EXPECT_EQ(GetOBJectLayer(kernel, h), layerOf_[size_t(o.layer)]) << "model object " << id;
                members[layerOf_[size_t(o.layer)]].push_back(h);
            }
            const OBJHANDLE parent = FirstReference(kernel, h, REF_GROUP_PARENT, nullptr);
            if (o.group >= 0) {
                EXPECT_EQ(parent, handleOf_.at(o.group)) << "model object " << id;
            } else {
                EXPECT_NE(GetOBJectClassID(kernel, parent), CLASS_GROUP) << "model object " << id;
            }
        }
        for (OBJHANDLE l : layerOf_) {
            std::vector<OBJHANDLE> now = targets(l, REF_LAYER_MEMBER), want = members[l];
            std::sort(now.begin(), now.end());
            std::sort(want.begin(), want.end());
            EXPECT_EQ(now, want) << "members of layer " << l;
        }
        if (HasFailure())
            dumpTrail();
    }

    // The shown objects field for field, with the members of lists as sets
    // and the selected member of a list by its handle.
    StoreImage storeImage()
    {
        StoreImage image;
        const uint32_t n = GetFirstFree(kernel);
        // Incoming counts as a save writes them: references of shown objects.
        std::map<OBJHANDLE, uint32_t> incoming;
        for (OBJHANDLE h = 1; h < n; ++h) {
            if (!shown(HeadLock(kernel, h)))
                continue;
            uint16_t id;
            OBJHANDLE t;
            for (int32_t i = 0; GetRef(kernel, h, &id, &t, i); ++i)
                ++incoming[t];
        }
        for (OBJHANDLE h = 1; h < n; ++h) {
            const OBJectHead *head = HeadLock(kernel, h);
            if (!shown(head))
                continue;
            const char *base = reinterpret_cast<const char *>(head);
            std::string fixed(base + OBJ_HEAD_SIZE, head->refOffset - OBJ_HEAD_SIZE);
            std::vector<std::pair<uint16_t, OBJHANDLE>> refs;
            uint16_t id;
            OBJHANDLE t;
            for (int32_t i = 0; GetRef(kernel, h, &id, &t, i); ++i)
                refs.emplace_back(id, t);
            const uint16_t cls = GetOBJectClassID(kernel, h);
            if ((cls & CLASSBIT_LIST) && cls != CLASS_SELLIST && cls != CLASS_UNDO && fixed.size() >= 32) {
                // A slot index: told by the member it names.
                const int32_t slot = LoadField<int32_t>(fixed.data(), GOH_SELSLOT);
                const uint32_t member =
                    slot >= 0 && size_t(slot) < refs.size() ? refs[size_t(slot)].second : 0;
                StoreField<uint32_t>(fixed.data(), GOH_SELSLOT, member);
            }
            std::sort(refs.begin(), refs.end());
            std::ostringstream out;
            out << "class " << cls << " flags " << head->flags << " incoming " << incoming[h] << " fixed ";
            for (unsigned char c : fixed)
                out << std::hex << int(c) << ".";
            out << std::dec << " data "
                << std::string(base + head->dataOffset, head->size - head->dataOffset).size() << ":"
                << std::hash<std::string>()(
                       std::string(base + head->dataOffset, head->size - head->dataOffset))
                << " refs";
            for (const auto &[rid, rt] : refs)
                out << " " << std::hex << rid << std::dec << ">" << rt;
            image.objects[h] = out.str();
        }
        return image;
    }

    std::string difference(const StoreImage &now, const StoreImage &want)
    {
        for (const auto &[h, s] : want.objects) {
            const auto it = now.objects.find(h);
            if (it == now.objects.end())
                return "object " + std::to_string(h) + " is missing";
            if (it->second != s)
                return "object " + std::to_string(h) + ":\n  now  " + it->second + "\n  want " + s;
        }
        for (const auto &[h, s] : now.objects)
            if (!want.objects.count(h))
                return "object " + std::to_string(h) + " is extra";
        return "";
    }

    void dumpTrail()
    {
        std::string t;
        for (const std::string &s : trail_)
            t += s + "; ";
        ADD_FAILURE() << "operations: " << t;
        trail_.clear();
    }

    // ---- saving and reading ----------------------------------------------

    // Saves, reads back and saves again: the two files are the same, and the
    // model's handles follow the renumbering of the file.
    void saveAndRead()
    {
        const uint32_t n = GetFirstFree(kernel);
        std::map<OBJHANDLE, OBJHANDLE> renumbered;
        OBJHANDLE next = 1;
        for (OBJHANDLE h = 1; h < n; ++h)
            if (shown(HeadLock(kernel, h)))
                renumbered[h] = next++;
        ASSERT_EQ(MapSave(window, path("a.mpd").c_str()), 1);
        const auto first = readAll(path("a.mpd"));
        KernelDelete(record.kernel);
        record.kernel = nullptr;
        OBJHANDLE root = 0;
        OBJectKernel *k = nullptr;
        ASSERT_EQ(ReadMapToKern(window, path("a.mpd").c_str(), &root, &k, 0), 1) << MapFileLastError();
        kernel = k;
        ASSERT_EQ(SetRootOBJect(window, root), root);
        // Objects that only the history held are gone with it.
        std::map<int, OBJHANDLE> now;
        for (const auto &[id, o] : model_.objects)
            now[id] = renumbered.at(handleOf_.at(id));
        handleOf_ = std::move(now);
        for (OBJHANDLE &l : layerOf_)
            l = renumbered.at(l);
        for (OBJHANDLE *h : {&all, &layers, &groups, &undo, &selList, &idsList, &aspect, &layer0})
            *h = renumbered.at(*h);
        EXPECT_EQ(all, root);
        ASSERT_EQ(MapSave(window, path("b.mpd").c_str()), 1);
        EXPECT_EQ(readAll(path("b.mpd")), first) << "save, read, save";
        // The bank is that of a fresh store of the document's size.
        EXPECT_EQ(kernel->bank->firstFree, next);
        EXPECT_EQ(kernel->bank->freedCount, 0u);
        EXPECT_EQ(kernel->bank->lowestFreed, 0u);
    }

    fs::path dir_;
    std::vector<OBJHANDLE> layerOf_;
    std::map<int, OBJHANDLE> handleOf_;
    Model model_;
    int nextId_ = 1;
    std::vector<std::string> trail_;
};

// The model test: one seed per run of a few hundred operations; a history
// of models follows undo and redo.
TEST_F(DocumentIntegrityTest, RandomOperationsKeepTheStoreWhole)
{
    int wholeHistories = 0; // undo-all and redo-all comparisons made
    for (const uint32_t seed : {1u, 2u, 3u, 20261211u}) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 rng(seed);
        auto pick = [&rng](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(rng)); };
        std::vector<Model> history{model_};
        size_t at = 0;
        // The store at the start of the history and after the last step
        // recorded; selections in between take the start out of reach.
        std::optional<StoreImage> start = storeImage();
        for (int round = 0; round < 300 && !HasFatalFailure(); ++round) {
            const int op = pick(20);
            auto step = [&](uint16_t code) {
                ASSERT_EQ(Undo_SetNewStep(window, kernel, code), 1);
                history.resize(at + 1);
                history.push_back(model_);
                ++at;
            };
            const std::vector<int> drawables = liveIds(true);
            if (op < 4) {
                const bool text = pick(3) == 0;
                const int layer = pick(3);
                trail_.push_back(std::string("create ") + (text ? "text" : "line") + " on " +
                                 std::to_string(layer));
                create(text ? CLASS_TEXT : CLASS_POLYLINE, layer,
                       text ? "text of round " + std::to_string(round) : pointsContent(round, 1 + pick(6)));
                step(text ? UNDO_OP_CREATE_TEXT : UNDO_OP_CREATE_POLYLINE);
            } else if (op < 7 && !drawables.empty()) {
                const int id = drawables[size_t(pick(int(drawables.size())))];
                ModelObject &o = model_.objects[id];
                trail_.push_back("change " + std::to_string(id) + "=" + std::to_string(handleOf_[id]));
                ASSERT_EQ(Undo_ChangeObject(kernel, handleOf_[id]), 1);
                o.content = o.cls == CLASS_TEXT
                                ? std::string(std::max<size_t>(o.content.size(), size_t(pick(40))),
                                              char('a' + pick(26)))
                                : pointsContent(round, pick(9));
                // As an editing operation does: the holders learn the old
                // rectangle of the changed object.
                const _COORDRECT old = bound(handleOf_[id]);
                writeContent(handleOf_[id], o.cls, o.content);
                o.content = readContent(handleOf_[id], o.cls);
                SendOBJectMessage(kernel, 0, handleOf_[id], 0, GRM_INVALIDATE, 0, LPARAM(&old));
                step(220);
            } else if (op == 7 && !drawables.empty()) {
                // Moving to another layer: the object's change is recorded,
                // the layers' are not.
                const int id = drawables[size_t(pick(int(drawables.size())))];
                ModelObject &o = model_.objects[id];
                const int to = (o.layer + 1 + pick(2)) % 3;
                trail_.push_back("move " + std::to_string(id) + " to " + std::to_string(to));
                const OBJHANDLE h = handleOf_[id];
                ASSERT_EQ(Undo_ChangeObject(kernel, h), 1);
                const int32_t back = FindReference(kernel, h, REF_LAYER_BACK, layerOf_[size_t(o.layer)]);
                ASSERT_GE(back, 0);
                ASSERT_NE(RemoveNthReference(kernel, h, back), OBJ_INVALID);
                ASSERT_NE(InsertLayerRef(kernel, h, layerOf_[size_t(to)]), OBJ_INVALID);
                o.layer = to;
                step(UNDO_OP_CHANGE_LAYER);
            } else if (op == 8) {
                std::vector<int> free;
                for (int id : drawables)
                    if (model_.objects[id].group < 0)
                        free.push_back(id);
                if (free.size() < 2)
                    continue;
                std::shuffle(free.begin(), free.end(), rng);
                free.resize(size_t(2 + pick(int(std::min<size_t>(free.size() - 1, 3)))));
                trail_.push_back("group " + std::to_string(free.size()));
                std::vector<OBJHANDLE> hs;
                for (int id : free)
                    hs.push_back(handleOf_[id]);
                const OBJHANDLE g = makeGroup(aspect, hs);
                ASSERT_EQ(Undo_AddNew(kernel, g), 1);
                const int gid = nextId_++;
                handleOf_[gid] = g;
                model_.objects[gid] = {CLASS_GROUP, "", 0, -1};
                model_.groups[gid] = free;
                for (int id : free)
                    model_.objects[id].group = gid;
                step(UNDO_OP_GROUPING);
            } else if (op < 11 && !model_.objects.empty()) {
                // Deleting an object deletes the tree under it; an object of a
                // group leaves its group.
                const std::vector<int> ids = liveIds(false);
                const int id = ids[size_t(pick(int(ids.size())))];
                trail_.push_back("delete " + std::to_string(id) + "=" + std::to_string(handleOf_[id]));
                ASSERT_EQ(Undo_DeleteTree(kernel, handleOf_[id]), 1);
                std::vector<int> gone{id};
                for (size_t i = 0; i < gone.size(); ++i)
                    for (int m : model_.groups[gone[i]])
                        gone.push_back(m);
                for (int g : gone) {
                    const int parent = model_.objects[g].group;
                    if (parent >= 0) {
                        auto &ms = model_.groups[parent];
                        ms.erase(std::remove(ms.begin(), ms.end(), g), ms.end());
                    }
                    model_.objects.erase(g);
                    model_.groups.erase(g);
                }
                step(UNDO_OP_DELETE);
            } else if (op < 13) {
                // Selecting does not enter the history.
                std::vector<OBJHANDLE> pickFrom;
                for (int id : liveIds(false))
                    if (model_.objects[id].group < 0)
                        pickFrom.push_back(handleOf_[id]);
                std::shuffle(pickFrom.begin(), pickFrom.end(), rng);
                pickFrom.resize(std::min<size_t>(pickFrom.size(), size_t(pick(3))));
                trail_.push_back("select " + std::to_string(pickFrom.size()));
                SetSelection(window, pickFrom.data(), uint32_t(pickFrom.size()), pick(2), 0);
                start.reset();
            } else if (op < 16) {
                const int n = 1 + pick(3);
                int done = 0;
                while (done < n && Undo_Undo(kernel))
                    ++done;
                trail_.push_back("undo " + std::to_string(done));
                at -= size_t(done);
                model_ = history[at];
            } else if (op < 18) {
                const int n = 1 + pick(3);
                int done = 0;
                while (done < n && Undo_Redo(kernel))
                    ++done;
                trail_.push_back("redo " + std::to_string(done));
                at += size_t(done);
                ASSERT_LT(at, history.size());
                model_ = history[at];
            } else if (op == 18) {
                trail_.push_back("reset");
                Undo_Reset(kernel);
                history = {model_};
                at = 0;
                start = storeImage();
            } else {
                trail_.push_back("save and read");
                saveAndRead();
                history = {model_};
                at = 0;
                start = storeImage();
            }
            checkStore("round " + std::to_string(round));
            checkModel("round " + std::to_string(round));
            if (HasFailure())
                return;
            if (pick(8) == 0 && start && at + 1 == history.size()) {
                // Undo everything, then redo everything.
                ++wholeHistories;
                const StoreImage end = storeImage();
                while (Undo_Undo(kernel)) {
                }
                EXPECT_EQ(difference(storeImage(), *start), "") << "undo all, round " << round;
                model_ = history[0];
                checkStore("after undo all");
                while (Undo_Redo(kernel)) {
                }
                EXPECT_EQ(difference(storeImage(), end), "") << "redo all, round " << round;
                model_ = history[at];
                checkStore("after redo all");
                if (HasFailure())
                    dumpTrail();
            }
        }
        // The next seed starts from a read document.
        saveAndRead();
        trail_.clear();
    }
    // The comparisons of whole histories were not all passed over.
    EXPECT_GT(wholeHistories, 20);
}

} // namespace
