#include "app/lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/run_log.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor {
namespace {

using testing::RunLogFile;
using testing::ScriptedPort;

template <class F>
std::string fatal_text(F&& action)
{
    try {
        action();
    } catch (const FatalStop& stop) {
        return stop.what();
    }
    ADD_FAILURE() << "expected a fatal stop";
    return {};
}

struct Zone : ListLink<Zone> {
    std::string label;
    std::vector<float> conc;  // one per contaminant
};

Zone zone(std::string label, std::vector<float> conc = {})
{
    Zone z;
    z.label = std::move(label);
    z.conc = std::move(conc);
    return z;
}

template <class List>
std::vector<std::int32_t> chain_numbers(const List& list)
{
    std::vector<std::int32_t> numbers;
    for (const auto& r : list) numbers.push_back(r.nr);
    return numbers;
}

class NumberedListTest : public ::testing::Test {
protected:
    ScriptedPort port;
    BlockPool pool{32000, "block"};
    int changes = 0;
    NumberedList<Zone> zones{pool, "zone", "ZnLst", "Zone", [this] { ++changes; }};
};

TEST_F(NumberedListTest, AddNumbersFromOneAndHandsOutWorkingCopies)
{
    Zone* first = zones.add(zone("a", {1.0f, 2.0f}));
    zones.add(zone("b"));
    zones.add(zone("c"));
    EXPECT_EQ(zones.count(), 3);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(chain_numbers(zones), (std::vector<std::int32_t>{1, 2, 3}));
    EXPECT_EQ(zones.at(1), first);
    EXPECT_EQ(zones.at(3)->label, "c");
    EXPECT_EQ(zones.at(4), nullptr);
    EXPECT_EQ(zones.at(0), nullptr);

    std::optional<Zone> copy = zones.get(1);
    ASSERT_TRUE(copy);
    copy->conc[0] = 9.0f;
    EXPECT_EQ(first->conc[0], 1.0f);
    EXPECT_FALSE(zones.get(7));
}

TEST_F(NumberedListTest, PutOverARecordKeepsItsPlaceInTheChain)
{
    zones.add(zone("a"));
    Zone* second = zones.add(zone("b"));
    zones.add(zone("c"));
    Zone edited = *zones.get(2);
    edited.label = "B";
    edited.next = nullptr;
    edited.nr = 77;

    EXPECT_EQ(zones.put(2, edited), second);
    EXPECT_EQ(second->label, "B");
    EXPECT_EQ(second->nr, 2);
    EXPECT_EQ(second->next, zones.at(3));
    EXPECT_EQ(zones.count(), 3);
}

TEST_F(NumberedListTest, ReleaseUnlinksAndTheStorageIsReused)
{
    zones.add(zone("a"));
    Zone* released = zones.add(zone("b", {5.0f}));
    zones.add(zone("c"));
    changes = 0;

    EXPECT_TRUE(zones.release(2));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(zones.at(2), nullptr);
    EXPECT_EQ(zones.count(), 3);
    EXPECT_EQ(chain_numbers(zones), (std::vector<std::int32_t>{1, 3}));
    EXPECT_FALSE(zones.release(2));

    Zone* reused = zones.add(zone("d", {7.0f, 8.0f}));
    EXPECT_EQ(reused, released);
    EXPECT_EQ(reused->nr, 4);
    EXPECT_EQ(reused->conc, (std::vector<float>{7.0f, 8.0f}));
    EXPECT_EQ(chain_numbers(zones), (std::vector<std::int32_t>{1, 3, 4}));

    // The released tail is unlinked too: later records still join the chain.
    EXPECT_TRUE(zones.release(4));
    zones.add(zone("e"));
    EXPECT_EQ(chain_numbers(zones), (std::vector<std::int32_t>{1, 3, 5}));
}

// Random adds, puts at new numbers, releases and reorderings against a
// model of the chain: a record leaves the chain from wherever it stands.
TEST_F(NumberedListTest, RandomReleasesKeepTheChainInOrder)
{
    std::mt19937 rng(7);
    std::vector<std::int32_t> model;
    for (int step = 0; step < 3000; ++step) {
        const unsigned what = rng() % 10;
        if (what < 4 || model.empty()) {
            model.push_back(zones.add(zone("a"))->nr);
        } else if (what == 4) {
            const auto n = static_cast<RangedIndex>(zones.count() + 1 + static_cast<int>(rng() % 700));
            zones.put(n, zone("p"));
            model.push_back(static_cast<std::int32_t>(n));
        } else if (what < 9) {
            const std::size_t k = rng() % model.size();
            ASSERT_TRUE(zones.release(model[k]));
            ASSERT_FALSE(zones.release(model[k]));
            model.erase(model.begin() + static_cast<std::ptrdiff_t>(k));
        } else {
            // Packing: a shuffled subset, renumbered in its new order.
            std::vector<Zone*> order;
            for (std::int32_t n : model)
                if (rng() % 4 != 0) order.push_back(zones.at(n));
            std::shuffle(order.begin(), order.end(), rng);
            zones.adopt_order(order);
            model.clear();
            for (std::size_t i = 1; i <= order.size(); ++i) model.push_back(static_cast<std::int32_t>(i));
        }
        ASSERT_EQ(chain_numbers(zones), model) << "step " << step;
    }
}

TEST_F(NumberedListTest, IndexGrowsPastItsCapacity)
{
    for (int i = 1; i <= 600; ++i) zones.add(zone(std::to_string(i)));
    EXPECT_GT(zones.capacity(), 600);
    for (int i : {1, 512, 513, 600}) EXPECT_EQ(zones.at(i)->label, std::to_string(i));
}

TEST_F(NumberedListTest, PutFarBeyondCapacityKeepsEarlierEntries)
{
    zones.add(zone("a"));
    zones.add(zone("b"));
    std::int64_t allocated = bytes_allocated();
    std::int64_t freed = bytes_freed();
    const RangedIndex old_capacity = zones.capacity();

    Zone* far = zones.put(5000, zone("far"));
    EXPECT_EQ(zones.capacity(), 5001);
    EXPECT_EQ(zones.at(5000), far);
    EXPECT_EQ(far->nr, 5000);
    EXPECT_EQ(zones.at(1)->label, "a");
    EXPECT_EQ(zones.at(2)->label, "b");
    EXPECT_EQ(zones.at(4999), nullptr);
    EXPECT_EQ(chain_numbers(zones), (std::vector<std::int32_t>{1, 2, 5000}));
    // Only the index was reallocated: the record came from the pool's block.
    EXPECT_EQ(bytes_allocated() - allocated, static_cast<std::int64_t>(5001 * sizeof(Zone*)));
    EXPECT_EQ(bytes_freed() - freed, static_cast<std::int64_t>(old_capacity * sizeof(Zone*)));
}

TEST_F(NumberedListTest, NumbersBelowOneAreFatal)
{
    EXPECT_EQ(fatal_text([&] { zones.put(0, zone("x")); }), " Index out of range: ZnLst 0\n");
}

class ListCheckTest : public NumberedListTest {
protected:
    void add_three()
    {
        for (const char* label : {"a", "b", "c"}) zones.add(zone(label));
    }
    static std::string entry_line(int i, const Zone* z)
    {
        char line[128];
        std::snprintf(line, sizeof line, " %3d %3d [%p] [%p]", i, z->nr,
                      static_cast<const void*>(z), static_cast<const void*>(z->next));
        return line;
    }
    RunLogFile log;
};

TEST_F(ListCheckTest, OrderedChainReturnsTheCount)
{
    add_three();
    EXPECT_EQ(list_check(zones), 3);
    EXPECT_TRUE(log.lines().empty());
}

TEST_F(ListCheckTest, GapInTheNumbersIsDumpedAndFatal)
{
    add_three();
    zones.at(3)->nr = 4;
    std::vector<std::string> expected{"Error in ZoneList:", entry_line(1, zones.at(1)),
                                      entry_line(2, zones.at(2)), entry_line(3, zones.at(3))};
    EXPECT_EQ(fatal_text([&] { zones.check(); }), " ZoneList reordering error\n");
    std::vector<std::string> lines = log.lines();
    ASSERT_GE(lines.size(), expected.size());
    lines.resize(expected.size());
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(expected[3].substr(0, 9), "   3   4 ");
}

TEST_F(ListCheckTest, ShortChainLeavesAnEmptyEntry)
{
    add_three();
    zones.release(2);
    const Zone* third = zones.at(3);
    EXPECT_THROW(zones.check(), FatalStop);
    std::vector<std::string> lines = log.lines();
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[2], entry_line(2, third));
    EXPECT_EQ(lines[3], "   3 null [0]");
}

TEST_F(ListCheckTest, LoopingChainIsCaughtNotFollowed)
{
    add_three();
    zones.at(3)->next = zones.at(1);
    EXPECT_THROW(zones.check(), FatalStop);
    EXPECT_EQ(log.lines().at(0), "Error in ZoneList:");
}

struct Element : NamedLink<Element> {
    double coef = 0;
};

Element element(std::string name, double coef = 0)
{
    Element e;
    e.name = std::move(name);
    e.coef = coef;
    return e;
}

class NamedListTest : public ::testing::Test {
protected:
    std::vector<std::string> names() const
    {
        std::vector<std::string> all;
        for (const Element& e : elements) all.push_back(e.name);
        return all;
    }

    ScriptedPort port;
    BlockPool pool{32000, "block"};
    int changes = 0;
    NamedList<Element> elements{pool, [this] { ++changes; }};
};

TEST_F(NamedListTest, NamesAreOrderedByteByByte)
{
    for (const char* name : {"a", "B", "_", "\xE9t\xE9", "Z", "z", "B2"})
        elements.insert_copy(element(name));
    Element* later_b = elements.insert_copy(element("B", 2.0));
    EXPECT_EQ(names(), (std::vector<std::string>{"B", "B", "B2", "Z", "_", "a", "z", "\xE9t\xE9"}));
    // An equal name goes after the one already there.
    EXPECT_EQ(elements.head()->next, later_b);
    EXPECT_EQ(elements.count(), 8);
    EXPECT_EQ(changes, 8);

    elements.renumber();
    std::int32_t expected = 0;
    for (const Element& e : elements) EXPECT_EQ(e.nr, ++expected);
}

TEST_F(NamedListTest, FindNamedWarnsOnlyOfMissingNames)
{
    Element* stored = elements.insert_copy(element("fan"));
    EXPECT_EQ(elements.find_by_name("fan"), stored);
    EXPECT_EQ(elements.find_by_name("Fan"), nullptr);
    EXPECT_EQ(elements.find_by_name("fa"), nullptr);

    EXPECT_EQ(elements.find_named("fan"), stored);
    EXPECT_EQ(elements.find_named(" fan"), nullptr);
    EXPECT_TRUE(port.boxes.empty());

    EXPECT_EQ(elements.find_named("duct"), nullptr);
    ASSERT_EQ(port.boxes.size(), 1u);
    EXPECT_EQ(port.boxes[0].caption, "WARNING");
    EXPECT_EQ(port.boxes[0].text, " Name not found: duct\n");
}

TEST_F(NamedListTest, ReplaceRecordCopiesInPlaceOrMovesARenamedRecord)
{
    elements.insert_copy(element("alpha"));
    Element* stored = elements.insert_copy(element("mid", 1.0));
    elements.insert_copy(element("zeta"));

    Element same = *stored;
    same.coef = 2.0;
    same.next = nullptr;
    EXPECT_EQ(elements.replace_record(stored, same), stored);
    EXPECT_EQ(stored->coef, 2.0);
    EXPECT_EQ(names(), (std::vector<std::string>{"alpha", "mid", "zeta"}));

    // References held elsewhere stay good: the record keeps its address.
    Element renamed = element("zz", 3.0);
    EXPECT_EQ(elements.replace_record(stored, renamed), stored);
    EXPECT_EQ(names(), (std::vector<std::string>{"alpha", "zeta", "zz"}));
    EXPECT_EQ(stored->coef, 3.0);
    EXPECT_EQ(elements.count(), 3);
}

TEST_F(NamedListTest, RemoveRecordFreesItForReuseAndRefusesStrangers)
{
    elements.insert_copy(element("a"));
    Element* removed = elements.insert_copy(element("b"));
    elements.remove_record(removed);
    EXPECT_EQ(names(), (std::vector<std::string>{"a"}));
    EXPECT_EQ(elements.count(), 1);
    EXPECT_EQ(elements.insert_copy(element("c")), removed);

    Element stranger = element("ghost");
    EXPECT_EQ(fatal_text([&] { elements.remove_record(&stranger); }), " Failed to delete ghost\n");
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "c"}));
}

TEST_F(NamedListTest, InsertRecordPlacesAStoredRecord)
{
    elements.insert_copy(element("b"));
    Element* moved = elements.insert_copy(element("d"));
    elements.remove_record(moved);
    moved->name = "a";
    elements.insert_record(moved);
    elements.insert_record(pool.make<Element>("elmt", element("c")));
    EXPECT_EQ(names(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(elements.count(), 3);
}

TEST(NamedCheckName, RefusesEachFaultWithItsWarning)
{
    struct Case {
        std::string name;
        std::string message;  // empty when the name is accepted
    };
    const std::vector<Case> cases{
        {"", "Empty name not permitted"},
        {"a b", "Blanks not permitted in name"},
        {" ,!", "Blanks not permitted in name"},
        {"a,b", "Commas not permitted in name"},
        {",!", "Commas not permitted in name"},
        {"wow!", "Exclamation points not permitted in name"},
        {"a\tb", "Tabs and control characters not permitted in name"},
        {"line\n", "Tabs and control characters not permitted in name"},
        {"del\x7F", "Tabs and control characters not permitted in name"},
        {"*end", "Name may not begin with \"*\""},
        {"abcdefghijklmnop", "Name is longer than 15 characters"},
        {"abcdefghijklmno", ""},
        {"a*b", ""},
        {"caf\xE9", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScriptedPort port;
        EXPECT_EQ(check_name(c.name, kNameSize), c.message.empty() ? 0 : 1);
        if (c.message.empty()) {
            EXPECT_TRUE(port.boxes.empty());
            continue;
        }
        ASSERT_EQ(port.boxes.size(), 1u);
        EXPECT_EQ(port.boxes[0].caption, "WARNING");
        EXPECT_EQ(port.boxes[0].text, " " + c.message + "\n");
    }
}

TEST_F(NamedListTest, CheckNewNameRefusesAnotherRecordsName)
{
    elements.insert_copy(element("alpha"));
    elements.insert_copy(element("beta"));
    EXPECT_EQ(check_new_name(elements, "alpha", "alpha"), 0);
    EXPECT_EQ(check_new_name(elements, "gamma", "alpha"), 0);
    EXPECT_TRUE(port.boxes.empty());

    EXPECT_EQ(check_new_name(elements, "beta", "alpha"), 1);
    EXPECT_EQ(check_new_name(elements, "new name", "alpha"), 1);
    ASSERT_EQ(port.boxes.size(), 2u);
    EXPECT_EQ(port.boxes[0].text, " May not use existing name\n");
    EXPECT_EQ(port.boxes[1].text, " Blanks not permitted in name\n");
}

struct ChartPoint {
    std::int32_t key = 0;
    double value = 0;
};

std::vector<std::int32_t> keys(const SortedList<ChartPoint>& list)
{
    std::vector<std::int32_t> all;
    for (const ChartPoint& p : list) all.push_back(p.key);
    return all;
}

TEST(SortedList, KeepsKeysAscendingAndRefusesADuplicate)
{
    SortedList<ChartPoint> list;
    ChartPoint source{3, 1.5};
    ChartPoint* stored = list.insert(source);
    ASSERT_NE(stored, nullptr);
    EXPECT_NE(stored, &source);
    for (std::int32_t key : {7, -2, 5}) ASSERT_NE(list.insert({key, 0.0}), nullptr);
    EXPECT_EQ(keys(list), (std::vector<std::int32_t>{-2, 3, 5, 7}));

    EXPECT_EQ(list.insert({5, 9.0}), nullptr);
    EXPECT_EQ(keys(list), (std::vector<std::int32_t>{-2, 3, 5, 7}));
    EXPECT_EQ(stored->value, 1.5);
}

TEST(SortedList, RemoveNthReturnsTheRecordTakingItsPlace)
{
    struct Case {
        std::size_t n;
        std::int32_t successor;  // 0: none
        std::vector<std::int32_t> left;
    };
    for (const Case& c : {Case{0, 3, {3, 5}}, Case{1, 5, {1, 5}}, Case{2, 0, {1, 3}},
                          Case{3, 0, {1, 3, 5}}}) {
        SCOPED_TRACE(c.n);
        SortedList<ChartPoint> list;
        for (std::int32_t key : {5, 1, 3}) list.insert({key, 0.0});
        ChartPoint* next = list.remove_nth(c.n);
        EXPECT_EQ(next ? next->key : 0, c.successor);
        EXPECT_EQ(keys(list), c.left);
    }
    SortedList<ChartPoint> list;
    list.insert({1, 0.0});
    list.free_all();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.remove_nth(0), nullptr);
}

}  // namespace
}  // namespace avelor
