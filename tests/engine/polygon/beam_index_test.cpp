#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "engine/polygon/beam_index.h"
#include "engine/polygon/scan_beam.h"
#include "polygon_test_support.h"

namespace {

// Records of distinct links to put in the index; the index only orders
// them, so their geometry does not matter.
class BeamIndexTest : public EngineTest {
protected:
    IScanBeam *NewRecord()
    {
        Node *a = new Node(0, double(links.size()));
        Node *b = new Node(10, double(links.size()) + 1);
        links.push_back(std::make_unique<Link>(a, b));
        records.push_back(std::make_unique<IScanBeam>(links.back().get()));
        return records.back().get();
    }

    std::vector<std::unique_ptr<Link>> links;
    std::vector<std::unique_ptr<IScanBeam>> records;
};

// Every position k of the model must be found as the first record at or
// after k: the index keeps the model's order.
void ExpectOrder(const BeamIndex &index, const std::vector<IScanBeam *> &model)
{
    for (size_t k = 0; k <= model.size(); k++) {
        IScanBeam *found = index.FirstWhere([&](IScanBeam *record) {
            return size_t(std::find(model.begin(), model.end(), record) - model.begin()) >= k;
        });
        ASSERT_EQ(found, k < model.size() ? model[k] : nullptr) << "position " << k;
    }
}

} // namespace

TEST_F(BeamIndexTest, KeepsTheBeamOrderThroughInsertsRemovalsAndExchanges)
{
    std::mt19937 random(5);
    BeamIndex index;
    std::vector<IScanBeam *> model;
    EXPECT_TRUE(index.empty());
    for (int step = 0; step < 600; step++) {
        const int action = int(random() % 4);
        if (model.empty() || action <= 1) {
            // Before a random record, or at the end.
            const size_t at = random() % (model.size() + 1);
            IScanBeam *record = NewRecord();
            index.InsertBefore(at < model.size() ? model[at]->_slot : nullptr, record);
            model.insert(model.begin() + long(at), record);
        } else if (action == 2) {
            const size_t at = random() % model.size();
            index.Erase(model[at]->_slot);
            EXPECT_EQ(model[at]->_slot, nullptr);
            model.erase(model.begin() + long(at));
        } else if (model.size() >= 2) {
            const size_t at = random() % (model.size() - 1);
            BeamIndex::SwapItems(model[at]->_slot, model[at + 1]->_slot);
            std::swap(model[at], model[at + 1]);
        }
        if (step % 37 == 0)
            ExpectOrder(index, model);
    }
    ExpectOrder(index, model);
    for (IScanBeam *record : model)
        EXPECT_EQ(record->_slot->item, record);
    while (!model.empty()) {
        index.Erase(model.back()->_slot);
        model.pop_back();
    }
    EXPECT_TRUE(index.empty());
}
