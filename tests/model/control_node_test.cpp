#include "model/control_node.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/diagnostics.h"
#include "support/scripted_port.h"

namespace avelor {
namespace {

using testing::ScriptedPort;

// Nodes numbered 1..n in chain order, with their inputs set by the test.
struct Chain {
    explicit Chain(int n) : nodes(static_cast<std::size_t>(n))
    {
        for (int k = 0; k < n; ++k) nodes[static_cast<std::size_t>(k)].nr = k + 1;
    }
    ControlNode& operator[](int nr) { return nodes[static_cast<std::size_t>(nr - 1)]; }
    std::vector<ControlNode*> chain()
    {
        std::vector<ControlNode*> c;
        for (ControlNode& n : nodes) c.push_back(&n);
        return c;
    }
    std::vector<std::int32_t> seqs() const
    {
        std::vector<std::int32_t> s;
        for (const ControlNode& n : nodes) s.push_back(n.seq);
        return s;
    }
    std::vector<ControlNode> nodes;
};

TEST(SequenceControls, EveryNodeComesAfterWhatItReads)
{
    ScriptedPort port;
    reset_error_count();
    // 1 reads 2, 2 reads 3 (a constant): the chain runs backwards.
    Chain c(4);
    c[1].type = kCtMod;
    c[1].c1 = &c[2];
    c[2].type = kCtPc1;
    c[2].c1 = &c[3];
    c[3].type = kCtSet;
    // 4 sums 1 and 3.
    c[4].type = kCtSum;
    c[4].data = InputListData{{&c[1], &c[3]}, {}};
    EXPECT_EQ(sequence_controls(c.chain(), nullptr), 0);
    EXPECT_EQ(c.seqs(), (std::vector<std::int32_t>{3, 2, 1, 4}));

    // A phantom waits for its instance; an instance reads its input.
    Chain p(3);
    p[1].type = kCtSph;
    p[1].c1 = &p[2];
    p[2].type = kCtSup;
    p[2].c1 = &p[3];
    p[3].type = kCtSet;
    EXPECT_EQ(sequence_controls(p.chain(), nullptr), 0);
    EXPECT_EQ(p.seqs(), (std::vector<std::int32_t>{3, 2, 1}));
    EXPECT_EQ(error_count(), 0);
}

TEST(SequenceControls, CircularNetworksAndNoStartAreErrorsNotTheEnd)
{
    ScriptedPort port;
    reset_error_count();
    // Two nodes that read each other beside a constant.
    Chain c(3);
    c[1].type = kCtMod;
    c[1].c1 = &c[2];
    c[2].type = kCtMod;
    c[2].c1 = &c[1];
    c[3].type = kCtSet;
    std::vector<ControlNode*> left;
    EXPECT_EQ(sequence_controls(c.chain(), nullptr, &left), 1);
    EXPECT_EQ(left, (std::vector<ControlNode*>{&c[1], &c[2]}));
    EXPECT_EQ(c.seqs(), (std::vector<std::int32_t>{0, 0, 1}));
    EXPECT_EQ(error_count(), 0) << "the building check lists the main network's nodes itself";

    // Without the constant nothing can start: a counted error, not a fatal one.
    Chain loop(2);
    loop[1].type = kCtMod;
    loop[1].c1 = &loop[2];
    loop[2].type = kCtMod;
    loop[2].c1 = &loop[1];
    EXPECT_EQ(sequence_controls(loop.chain(), nullptr), 1);
    EXPECT_EQ(error_count(), 1);
    ASSERT_FALSE(port.boxes.empty());
    EXPECT_NE(port.boxes.back().text.find("No initial controls"), std::string::npos);

    // A super element starts from its input node, which breaks the loop;
    // a loop beside the input node it reports itself.
    SuperElement e;
    e.name = "SE_loop";
    e.input = &loop[1];
    reset_error_count();
    port.boxes.clear();
    EXPECT_EQ(sequence_controls(loop.chain(), &e), 0);
    EXPECT_EQ(loop.seqs(), (std::vector<std::int32_t>{1, 2}));
    Chain three(3);
    for (int k = 1; k <= 3; ++k) three[k].type = kCtMod;
    three[1].c1 = &three[3];
    three[2].c1 = &three[3];
    three[3].c1 = &three[2];
    e.input = &three[1];
    three[1].c1 = nullptr;
    EXPECT_EQ(sequence_controls(three.chain(), &e), 1);
    EXPECT_EQ(error_count(), 1);
    bool listed = false;
    for (const auto& box : port.boxes) listed = listed || box.text == " Unsequenced control nodes:\n2 3 \n";
    EXPECT_TRUE(listed) << (port.boxes.empty() ? std::string() : port.boxes.back().text);
}

}  // namespace
}  // namespace avelor
