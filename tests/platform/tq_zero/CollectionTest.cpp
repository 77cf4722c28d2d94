#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "RecordingListeners.h"
#include "TestElements.h"
#include "tq_zero/LiveNodeCount.h"

namespace tq_zero_test {
namespace {

using tq::zero::Model;
using tq::zero::nilUuid;
using Strings = std::vector<std::u16string>;

class CollectionTest : public ::testing::Test {
protected:
    void SetUp() override { model.addListener(observer); }
    void TearDown() override { model.removeListener(observer); }

    Part newPart(const std::u16string& label) {
        Part part = Part::create(model, nilUuid());
        part.setLabel(label);
        return part;
    }

    Model model;
    Gadget gadget = Gadget::create(model, nilUuid());
    RecordingObserver<Gadget> observer;
};

TEST_F(CollectionTest, AUniqueSequenceIgnoresValuesItHoldsAlready) {
    auto tags = gadget.getTags();
    EXPECT_TRUE(tags.isUnique());
    auto edit = tags.modify();
    edit.append(u"b");
    edit.append(u"a");
    edit.append(u"b");
    edit.insert(0, u"a");
    edit.insert(0, u"c");
    edit.commit();
    EXPECT_EQ(tags.values(), (Strings{u"c", u"b", u"a"}));
}

TEST_F(CollectionTest, AnOrdinarySequenceKeepsDuplicatesAndRemovesEveryEqualValue) {
    auto notes = gadget.getNotes();
    EXPECT_FALSE(notes.isUnique());
    auto edit = notes.modify();
    for (const auto* value : {u"x", u"y", u"x", u"z"}) edit.append(value);
    edit.commit();
    EXPECT_EQ(notes.values(), (Strings{u"x", u"y", u"x", u"z"}));

    auto removal = notes.modify();
    removal.remove(u"x");
    removal.removeAt(0);
    removal.insert(1, u"w");
    removal.commit();
    EXPECT_EQ(notes.values(), (Strings{u"z", u"w"}));
}

TEST_F(CollectionTest, AModificationIsReportedAsOneChangeOfTheProperty) {
    auto edit = gadget.getNotes().modify();
    edit.append(u"1");
    edit.append(u"2");
    edit.append(u"3");
    EXPECT_TRUE(gadget.getNotes().empty());  // nothing happens before the modification commits
    edit.commit();
    ASSERT_EQ(observer.commits().size(), 1u);
    EXPECT_EQ(observer.commits()[0], (SeenCommit{{&Gadget::meta(), {"notes"}}}));
    EXPECT_EQ(gadget.getNotes().size(), 3u);
}

TEST_F(CollectionTest, AModificationThatChangesNothingIsNotReported) {
    gadget.getTags().modify().commit();
    auto edit = gadget.getTags().modify();
    edit.append(u"t");
    edit.remove(u"t");
    edit.commit();
    EXPECT_TRUE(observer.commits().empty());
}

TEST_F(CollectionTest, AFailingEditLeavesTheWholeBatchUnapplied) {
    auto notes = gadget.getNotes();
    auto edit = notes.modify();
    edit.append(u"kept?");
    edit.insert(5, u"too far");
    EXPECT_THROW(edit.commit(), std::out_of_range);
    EXPECT_TRUE(notes.empty());

    auto erase = notes.modify();
    erase.append(u"a");
    erase.removeAt(1);
    EXPECT_THROW(erase.commit(), std::out_of_range);
    EXPECT_TRUE(notes.empty());
    EXPECT_TRUE(observer.commits().empty());
}

TEST_F(CollectionTest, ASetKeepsItsValuesSortedAndUnique) {
    auto labels = gadget.getLabels();
    auto edit = labels.modify();
    for (const auto* value : {u"pear", u"apple", u"fig", u"apple", u"Zebra"}) edit.insert(value);
    edit.commit();
    EXPECT_EQ(labels.values(), (Strings{u"Zebra", u"apple", u"fig", u"pear"}));
    EXPECT_TRUE(labels.contains(u"fig"));
    EXPECT_FALSE(labels.contains(u"Fig"));

    auto erase = labels.modify();
    erase.erase(u"fig");
    erase.erase(u"absent");
    erase.commit();
    EXPECT_EQ(labels.values(), (Strings{u"Zebra", u"apple", u"pear"}));

    auto clear = labels.modify();
    clear.clear();
    clear.insert(u"only");
    clear.commit();
    EXPECT_EQ(labels.values(), (Strings{u"only"}));
}

TEST_F(CollectionTest, ASetHasNoPositions) {
    const auto node =
        std::get<tq::zero::detail::NodePtr>(tq::zero::detail::ValueTraits<Gadget>::toValue(gadget));
    using Edit = tq::zero::detail::CollectionEdit;
    EXPECT_THROW(tq::zero::detail::Runtime::modifyCollection(
                     node, Gadget::labelsProperty(), {Edit{Edit::Op::Insert, 0, std::u16string(u"a")}}),
                 std::invalid_argument);
    EXPECT_THROW(tq::zero::detail::Runtime::modifyCollection(node, Gadget::labelsProperty(),
                                                             {Edit{Edit::Op::EraseAt, 0, {}}}),
                 std::invalid_argument);
}

TEST_F(CollectionTest, AStringCollectionTakesStringsOnly) {
    const auto node =
        std::get<tq::zero::detail::NodePtr>(tq::zero::detail::ValueTraits<Gadget>::toValue(gadget));
    using Edit = tq::zero::detail::CollectionEdit;
    EXPECT_THROW(tq::zero::detail::Runtime::modifyCollection(node, Gadget::tagsProperty(),
                                                             {Edit{Edit::Op::Append, 0, std::int32_t{3}}}),
                 std::invalid_argument);
    EXPECT_THROW(tq::zero::detail::Runtime::modifyCollection(
                     node, Gadget::partsProperty(), {Edit{Edit::Op::Append, 0, std::u16string(u"a")}}),
                 std::invalid_argument);
}

TEST_F(CollectionTest, AnElementSequenceHoldsElementsByIdentity) {
    const Part first = newPart(u"first");
    const Part second = newPart(u"second");
    const Part twin = newPart(u"first");
    auto parts = gadget.getParts();
    auto edit = parts.modify();
    edit.append(first);
    edit.append(twin);
    edit.insert(1, second);
    edit.commit();
    ASSERT_EQ(parts.size(), 3u);
    EXPECT_EQ(parts.values(), (std::vector<Part>{first, second, twin}));

    auto removal = parts.modify();
    removal.remove(first);
    removal.commit();
    EXPECT_EQ(parts.values(), (std::vector<Part>{second, twin}));
    EXPECT_EQ(parts.values()[1].getLabel(), u"first");
}

TEST_F(CollectionTest, AnElementRemovedFromASequenceIsFreed) {
    const auto before = tq::zero::detail::liveNodeCount(gadget);
    {
        auto edit = gadget.getParts().modify();
        edit.append(newPart(u"a"));
        edit.append(newPart(u"b"));
        edit.commit();
    }
    EXPECT_EQ(tq::zero::detail::liveNodeCount(gadget), before + 2);
    auto clear = gadget.getParts().modify();
    clear.removeAt(0);
    clear.commit();
    EXPECT_EQ(tq::zero::detail::liveNodeCount(gadget), before + 1);
}

TEST_F(CollectionTest, ARolledBackModificationRestoresTheItems) {
    auto edit = gadget.getTags().modify();
    edit.append(u"a");
    edit.commit();
    model.beginTransaction(false);
    auto change = gadget.getTags().modify();
    change.clear();
    change.append(u"b");
    change.commit();
    EXPECT_EQ(gadget.getTags().values(), (Strings{u"b"}));
    model.endTransaction();
    EXPECT_EQ(gadget.getTags().values(), (Strings{u"a"}));
}

}  // namespace
}  // namespace tq_zero_test
