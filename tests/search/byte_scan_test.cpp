// The vectorised scans against plain byte-by-byte models, on random Shift JIS-like
// bytes, at every length and alignment around the vector widths, in every form the build
// holds and the processor runs; and the portable form's vector lane by lane.
#include "search/byte_scan.h"

#include <algorithm>

#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "search/byte_scan_swar.h"

using namespace varsik;

namespace {

using ByteScan::TIsa;

// Bytes that the scans look for, often, between others.
class TBytes {
 public:
  explicit TBytes(uint32_t seed) : Rng(seed) {}
  std::vector<uint8_t> Make(size_t n) {
    static const uint8_t kInteresting[] = {'\n', '\r', 0,    0x1A, 0x81, 0x82, 0x9F,
                                           0xA0, 0xA1, 0xB1, 0xDF, 0xE0, 0xFC, 0xFD,
                                           0x80, 'a',  'A',  0x5C, 0x40, 0x7F};
    std::vector<uint8_t> v(n);
    for (uint8_t& b : v)
      b = Pick(3) == 0 ? static_cast<uint8_t>(Pick(256))
                       : kInteresting[Pick(std::size(kInteresting))];
    return v;
  }
  size_t Pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(Rng); }

 private:
  std::mt19937 Rng;
};

// `text` placed in memory with an LF in front and padding behind, as the scans need.
class TPadded {
 public:
  TPadded(const std::vector<uint8_t>& text, size_t shift, uint8_t fill = 0)
      : Memory(1 + shift + text.size() + ByteScan::kPadding, fill) {
    Memory[shift] = '\n';
    std::copy(text.begin(), text.end(), Memory.begin() + static_cast<ptrdiff_t>(1 + shift));
    Begin = Memory.data() + 1 + shift;
    End = Begin + text.size();
  }
  const uint8_t* Begin;
  const uint8_t* End;

 private:
  std::vector<uint8_t> Memory;
};

bool ModelIsLead(uint8_t b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// Character starts, reading from the first byte.
std::vector<bool> ModelCharStarts(const uint8_t* begin, const uint8_t* end) {
  std::vector<bool> starts(static_cast<size_t>(end - begin) + 1, false);
  for (const uint8_t* p = begin; p < end; p += ModelIsLead(*p) ? 2 : 1) starts[p - begin] = true;
  return starts;
}

class ByteScanTest : public ::testing::Test {
 protected:
  void TearDown() override { ByteScan::SelectIsa(ByteScan::BestIsa()); }
};

}  // namespace

TEST(ByteScan, IsLeadByteMatchesTheTwoRanges) {
  for (int b = 0; b < 256; ++b) EXPECT_EQ(ByteScan::IsLeadByte(b), ModelIsLead(b)) << b;
}

TEST(ByteScan, TrailMaskFollowsTheCharactersAcrossBlocks) {
  TBytes gen(1);
  for (int round = 0; round < 2000; ++round) {
    // Runs of lead-range bits of every length, long ones too.
    const size_t blocks = 1 + gen.Pick(4);
    std::vector<bool> leads(blocks * 64);
    const size_t density = 1 + gen.Pick(9);
    for (size_t i = 0; i < leads.size(); ++i) leads[i] = gen.Pick(10) < density;
    // The model: a lead-range byte on a character start takes the next byte.
    std::vector<bool> trail(leads.size() + 1, false);
    for (size_t i = 0; i < leads.size(); ++i)
      if (!trail[i] && leads[i]) trail[i + 1] = true;
    bool carry = false;
    for (size_t b = 0; b < blocks; ++b) {
      uint64_t mask = 0;
      for (size_t i = 0; i < 64; ++i) mask |= uint64_t{leads[b * 64 + i]} << i;
      const uint64_t got = ByteScan::TrailMask(mask, carry);
      for (size_t i = 0; i < 64; ++i)
        ASSERT_EQ((got >> i) & 1, trail[b * 64 + i] ? 1u : 0u)
            << "round " << round << " bit " << b * 64 + i;
      ASSERT_EQ(carry, trail[(b + 1) * 64]) << "round " << round << " block " << b;
    }
  }
}

TEST(ByteScan, UsableIsasEndWithTheBest) {
  const std::vector<TIsa> isas = ByteScan::UsableIsas();
  ASSERT_FALSE(isas.empty());
  EXPECT_EQ(isas.back(), ByteScan::BestIsa());
#if defined(VARSIK_PORTABLE_SCAN)
  // A portable build, made to test the portable form, holds no other.
  EXPECT_EQ(isas, std::vector<TIsa>{TIsa::Portable});
#endif
}

// Every pair of bytes in one lane, among neighbours that sit at the edges of borrows and
// sign bits: each operation of the portable vector acts on each lane apart. Its scans run
// only in a portable build, but its lanes are checked in every build.
TEST(ByteScan, SwarLanesActApart) {
  using ByteScan::Swar::TVec;
  TBytes gen(8);
  static const uint8_t kEdges[] = {0, 1, 0x7E, 0x7F, 0x80, 0x81, 0xFE, 0xFF};
  auto lane = [](uint64_t v, size_t i) { return static_cast<uint8_t>(v >> (8 * i)); };
  for (int x0 = 0; x0 < 256; ++x0) {
    for (int y0 = 0; y0 < 256; ++y0) {
      uint8_t x[TVec::kWidth];
      uint8_t y[TVec::kWidth];
      for (size_t i = 0; i < TVec::kWidth; ++i) {
        x[i] = kEdges[gen.Pick(std::size(kEdges))];
        y[i] = kEdges[gen.Pick(std::size(kEdges))];
      }
      const size_t at = gen.Pick(TVec::kWidth);
      x[at] = static_cast<uint8_t>(x0);
      y[at] = static_cast<uint8_t>(y0);
      const TVec::T a = TVec::Load(x);
      const TVec::T b = TVec::Load(y);
      uint64_t mask = 0;
      uint64_t sum = 0;
      for (size_t i = 0; i < TVec::kWidth; ++i) {
        ASSERT_EQ(lane(a, i), x[i]);
        ASSERT_EQ(lane(TVec::Splat(x[i]), at), x[i]);
        ASSERT_EQ(lane(TVec::Eq(a, b), i), x[i] == y[i] ? 0xFF : 0) << x0 << " " << y0;
        ASSERT_EQ(lane(TVec::AndNot(a, b), i), static_cast<uint8_t>(~x[i] & y[i]));
        ASSERT_EQ(lane(TVec::Sub(a, b), i), static_cast<uint8_t>(x[i] - y[i])) << x0 << " " << y0;
        ASSERT_EQ(lane(TVec::Min(a, b), i), std::min(x[i], y[i])) << x0 << " " << y0;
        ASSERT_EQ(lane(TVec::Greater(a, b), i),
                  static_cast<int8_t>(x[i]) > static_cast<int8_t>(y[i]) ? 0xFF : 0)
            << x0 << " " << y0;
        mask |= uint64_t{x[i] >= 0x80} << i;
        sum += x[i];
      }
      ASSERT_EQ(TVec::Mask(a), mask) << x0;
      ASSERT_EQ(TVec::SumBytes(a), sum) << x0;
    }
  }
}

TEST_F(ByteScanTest, CountLf) {
  TBytes gen(2);
  for (TIsa isa : ByteScan::UsableIsas()) {
    ByteScan::SelectIsa(isa);
    for (size_t n : {0, 1, 15, 16, 17, 31, 32, 33, 63, 64, 100, 255 * 16, 255 * 32 + 5, 20000}) {
      const auto text = gen.Make(n);
      const TPadded t(text, gen.Pick(32), '\n');
      EXPECT_EQ(ByteScan::CountLf(t.Begin, t.End),
                static_cast<size_t>(std::count(text.begin(), text.end(), '\n')))
          << n;
    }
  }
}

TEST_F(ByteScanTest, FindLineSpecial) {
  TBytes gen(3);
  for (TIsa isa : ByteScan::UsableIsas()) {
    ByteScan::SelectIsa(isa);
    for (int round = 0; round < 3000; ++round) {
      auto text = gen.Make(gen.Pick(150));
      // Mostly ordinary text, so that the first special byte lies anywhere.
      for (uint8_t& b : text)
        if ((b == 0 || b == '\r' || b == 0x1A) && gen.Pick(8) != 0) b = ' ';
      // The byte behind the end is read: an LF there makes a final CR none of ours.
      const TPadded t(text, gen.Pick(32), gen.Pick(2) ? '\n' : 0);
      size_t expected = text.size();
      for (size_t i = 0; i < text.size() && expected == text.size(); ++i) {
        const uint8_t b = text[i];
        const uint8_t next = t.Begin[i + 1];
        const uint8_t before = t.Begin[static_cast<ptrdiff_t>(i) - 1];
        if (b == 0 || (b == '\r' && next != '\n') || (b == 0x1A && before == '\n')) expected = i;
      }
      const uint8_t* got = ByteScan::FindLineSpecial(t.Begin, t.End);
      ASSERT_EQ(static_cast<size_t>(got - t.Begin), expected) << "round " << round;
      // The counting form finds the same byte and the LFs in front of it.
      size_t lfs = 0;
      got = ByteScan::FindLineSpecialCountingLf(t.Begin, t.End, lfs);
      ASSERT_EQ(static_cast<size_t>(got - t.Begin), expected) << "round " << round;
      ASSERT_EQ(lfs, static_cast<size_t>(std::count(t.Begin, got, '\n'))) << "round " << round;
    }
  }
}

TEST_F(ByteScanTest, FindPair) {
  TBytes gen(4);
  for (TIsa isa : ByteScan::UsableIsas()) {
    ByteScan::SelectIsa(isa);
    for (int round = 0; round < 3000; ++round) {
      const auto text = gen.Make(gen.Pick(200));
      ByteScan::TBytePair pair;
      pair.Offset1 = gen.Pick(5);
      pair.Offset2 = gen.Pick(5);
      pair.Mask1 = gen.Pick(2) ? 0xFF : 0xDF;
      pair.Mask2 = gen.Pick(2) ? 0xFF : 0xDF;
      pair.Value1 = static_cast<uint8_t>(gen.Pick(2) ? '\n' : 0x81) & pair.Mask1;
      pair.Value2 = static_cast<uint8_t>(gen.Pick(2) ? 'A' : 0xA0) & pair.Mask2;
      const size_t reach = std::max(pair.Offset1, pair.Offset2);
      const size_t shortBy = gen.Pick(3);
      const size_t count = text.size() > reach + shortBy ? text.size() - reach - shortBy : 0;
      const TPadded t(text, gen.Pick(32));
      const uint8_t* expected = nullptr;
      for (size_t i = 0; i < count && expected == nullptr; ++i)
        if ((t.Begin[i + pair.Offset1] & pair.Mask1) == pair.Value1 &&
            (t.Begin[i + pair.Offset2] & pair.Mask2) == pair.Value2)
          expected = t.Begin + i;
      ASSERT_EQ(ByteScan::FindPair(pair, t.Begin, count), expected) << "round " << round;
    }
  }
}

TEST_F(ByteScanTest, FindSingleByteKana) {
  TBytes gen(5);
  for (TIsa isa : ByteScan::UsableIsas()) {
    ByteScan::SelectIsa(isa);
    for (int round = 0; round < 3000; ++round) {
      auto text = gen.Make(gen.Pick(300));
      // Kana rarely on a character start, so that the answer lies anywhere.
      const std::vector<bool> starts = ModelCharStarts(text.data(), text.data() + text.size());
      for (size_t i = 0; i < text.size(); ++i)
        if (starts[i] && text[i] >= 0xA0 && text[i] <= 0xDF && gen.Pick(6) != 0) text[i] = 'x';
      const TPadded t(text, gen.Pick(32), static_cast<uint8_t>(gen.Pick(2) ? 0xB1 : 0x82));
      const std::vector<bool> s = ModelCharStarts(t.Begin, t.End);
      size_t expected = text.size();
      for (size_t i = 0; i < text.size() && expected == text.size(); ++i)
        if (s[i] && text[i] >= 0xA0 && text[i] <= 0xDF) expected = i;
      ASSERT_EQ(static_cast<size_t>(ByteScan::FindSingleByteKana(t.Begin, t.End) - t.Begin),
                expected)
          << "round " << round;
    }
  }
}

TEST_F(ByteScanTest, LineEndsAndLoneCrs) {
  TBytes gen(6);
  for (TIsa isa : ByteScan::UsableIsas()) {
    ByteScan::SelectIsa(isa);
    for (int round = 0; round < 3000; ++round) {
      const auto text = gen.Make(gen.Pick(150));
      const TPadded t(text, gen.Pick(32), static_cast<uint8_t>(gen.Pick(2) ? '\n' : 'x'));
      auto isLoneCr = [&](size_t i) { return text[i] == '\r' && t.Begin[i + 1] != '\n'; };
      size_t ends = 0;
      for (size_t i = 0; i < text.size(); ++i) ends += text[i] == '\n' || isLoneCr(i);
      ASSERT_EQ(ByteScan::CountLineEnds(t.Begin, t.End), ends) << "round " << round;
      size_t loneCr = text.size();
      for (size_t i = 0; i < text.size() && loneCr == text.size(); ++i)
        if (isLoneCr(i)) loneCr = i;
      ASSERT_EQ(ByteScan::FindLoneCr(t.Begin, t.End) - t.Begin, static_cast<ptrdiff_t>(loneCr))
          << "round " << round;
      // The counting form finds the same CR and the LFs in front of it.
      size_t lfs = 0;
      const uint8_t* const got = ByteScan::FindLoneCrCountingLf(t.Begin, t.End, lfs);
      ASSERT_EQ(got - t.Begin, static_cast<ptrdiff_t>(loneCr)) << "round " << round;
      ASSERT_EQ(lfs, static_cast<size_t>(std::count(t.Begin, got, '\n'))) << "round " << round;
    }
  }
}

TEST_F(ByteScanTest, FindCodeBytes) {
  TBytes gen(7);
  for (TIsa isa : ByteScan::UsableIsas()) {
    ByteScan::SelectIsa(isa);
    for (int round = 0; round < 3000; ++round) {
      const auto text = gen.Make(gen.Pick(200));
      std::vector<ByteScan::TCodeBytes> codes(1 + gen.Pick(ByteScan::kMaxCodeBytes));
      for (ByteScan::TCodeBytes& c : codes) {
        c.Lo0 = static_cast<uint8_t>(gen.Pick(256));
        c.Hi0 = static_cast<uint8_t>(std::min<size_t>(255, c.Lo0 + gen.Pick(4)));
        c.OneByte = gen.Pick(2) == 0;
        c.Lo1 = static_cast<uint8_t>(gen.Pick(256));
        c.Hi1 = static_cast<uint8_t>(std::min<size_t>(255, c.Lo1 + gen.Pick(40)));
      }
      const size_t count = text.size() - std::min(text.size(), gen.Pick(3));
      const TPadded t(text, gen.Pick(32), static_cast<uint8_t>(gen.Pick(256)));
      const uint8_t* expected = nullptr;
      for (size_t i = 0; i < count && expected == nullptr; ++i)
        for (const ByteScan::TCodeBytes& c : codes)
          if (t.Begin[i] >= c.Lo0 && t.Begin[i] <= c.Hi0 &&
              (c.OneByte || (t.Begin[i + 1] >= c.Lo1 && t.Begin[i + 1] <= c.Hi1)))
            expected = t.Begin + i;
      ASSERT_EQ(ByteScan::FindCodeBytes(codes.data(), codes.size(), t.Begin, count), expected)
          << "round " << round;
    }
  }
}
