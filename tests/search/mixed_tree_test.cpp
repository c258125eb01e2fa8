// The benchmark corpus's tree of 20,000 Shift JIS files, each written in an encoding drawn
// with a fixed seed (Shift JIS, UTF-8, UTF-8 with byte-order mark, EUC-JP, UTF-16 LE with
// byte-order mark, ISO-2022-JP) into a temporary folder, then read back as the reader reads
// files, in blocks: every file is detected right, and its decoded engine bytes are the
// Shift JIS file's characters as CP932 writes them. Prints the counts. Skipped where there
// is no corpus (CI builds none). With VARSIK_KEEP_MIXED_TREE=FOLDER the tree is written
// there and kept, for the benchmarks.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "search/decoder.h"
#include "search/encoding_detector.h"
#include "search/input_file.h"
#include "tests/search/encoded_text.h"

using namespace varsik;

namespace {

const std::filesystem::path kCorpusTree = "/work/corpus/tree";
constexpr size_t kBlock = 128 * 1024;

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The file read as a reader reads it: detected block by block until certain, then decoded
// from its start (or taken as it is).
struct TRead {
  TEncoding Encoding;
  std::string Engine;
  bool Certain;
};

TRead ReadBack(const std::string& path, const TEngineCodes& codes) {
  TInputFile file(path);
  const std::string bytes = file.ReadAll();
  TEncodingDetector detector;
  const std::span<const uint8_t> all(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  for (size_t i = 0; i < all.size(); i += kBlock)
    if (detector.Feed(all.subspan(i, std::min(kBlock, all.size() - i)))) break;
  TRead read{detector.Finish(), {}, detector.Decided()};
  const std::unique_ptr<TDecoder> decoder = MakeDecoder(read.Encoding, codes);
  if (!decoder) {
    read.Engine = bytes;
    return read;
  }
  std::vector<uint8_t> out(TDecoder::MaxOutput(kBlock));
  for (size_t i = 0; i < all.size(); i += kBlock) {
    const uint8_t* end =
        decoder->Decode(all.subspan(i, std::min(kBlock, all.size() - i)), out.data());
    read.Engine.append(reinterpret_cast<const char*>(out.data()), end - out.data());
  }
  const uint8_t* end = decoder->Finish(out.data());
  read.Engine.append(reinterpret_cast<const char*>(out.data()), end - out.data());
  return read;
}

// A folder for the tree, on tmpfs where there is one (20,000 files are written and removed
// several times faster there), removed with the object.
class TTreeFolder {
 public:
  TTreeFolder() {
    const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                           ? std::filesystem::path("/dev/shm")
                                           : std::filesystem::temp_directory_path();
    std::string name = (base / "varsik-mixed-XXXXXX").string();
    if (!mkdtemp(name.data())) throw std::runtime_error("mkdtemp failed");
    Root = name;
  }
  ~TTreeFolder() {
    std::error_code ec;
    std::filesystem::remove_all(Root, ec);
  }
  TTreeFolder(const TTreeFolder&) = delete;
  TTreeFolder& operator=(const TTreeFolder&) = delete;
  const std::filesystem::path& Path() const { return Root; }

 private:
  std::filesystem::path Root;
};

bool IsAscii(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return (c & 0x80) == 0; });
}

TEST(MixedTree, EveryCorpusFileInItsOwnEncodingIsDetectedAndDecoded) {
  if (!std::filesystem::is_directory(kCorpusTree)) GTEST_SKIP() << "no corpus at " << kCorpusTree;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(kCorpusTree))
    if (entry.is_regular_file()) files.push_back(entry.path());
  std::sort(files.begin(), files.end());

  const char* keep = std::getenv("VARSIK_KEEP_MIXED_TREE");
  std::optional<TTreeFolder> temp;
  if (!keep) temp.emplace();
  const std::filesystem::path root = keep ? std::filesystem::path(keep) : temp->Path();
  const TEncoding kEncodings[] = {TEncoding::ShiftJis, TEncoding::Utf8,    TEncoding::Utf8Bom,
                                  TEncoding::EucJp,    TEncoding::Utf16Le, TEncoding::Iso2022Jp};
  std::mt19937 rng(15);
  struct TFile {
    std::string Path;
    TEncoding Expected;
    std::string Canonical;
  };
  std::vector<TFile> written;
  for (const std::filesystem::path& source : files) {
    const std::string sjis = ReadFile(source);
    const TEncoding drawn = kEncodings[rng() % std::size(kEncodings)];
    // Decoding gives the characters as CP932 writes them (NEC-selected IBM extensions as the
    // IBM ones); the file itself is the canonical text where it is read as it is.
    const std::string utf8 = EncodedText::Iconv("UTF-8", "CP932", sjis);
    const std::string canonical =
        ReadsAsShiftJis(drawn) ? sjis : EncodedText::Iconv("CP932", "UTF-8", utf8);
    // Text without a byte above 7F is the same in the byte encodings: ASCII.
    const bool ascii = IsAscii(sjis) && drawn != TEncoding::Utf8Bom && drawn != TEncoding::Utf16Le;
    const std::filesystem::path target = root / std::filesystem::relative(source, kCorpusTree);
    std::filesystem::create_directories(target.parent_path());
    std::ofstream(target, std::ios::binary) << EncodedText::FromUtf8(utf8, drawn);
    written.push_back({target.string(), ascii ? TEncoding::Ascii : drawn, canonical});
  }

  TEngineCodes codes;
  std::map<std::string, int> counts;
  int misdetected = 0;
  int wrongBytes = 0;
  int shiftJis = 0;
  int certainEarly = 0;
  for (const TFile& f : written) {
    const TRead read = ReadBack(f.Path, codes);
    ++counts[std::string(EncodingName(f.Expected))];
    if (read.Encoding != f.Expected) {
      ++misdetected;
      ADD_FAILURE() << f.Path << ": " << EncodingName(f.Expected) << " detected as "
                    << EncodingName(read.Encoding);
    } else if (read.Engine != f.Canonical) {
      ++wrongBytes;
      ADD_FAILURE() << f.Path << ": the decoded bytes differ";
    }
    if (f.Expected == TEncoding::ShiftJis) {
      ++shiftJis;
      certainEarly += read.Certain;
    }
  }
  std::string summary;
  for (const auto& [name, count] : counts) summary += " " + name + " " + std::to_string(count);
  std::printf(
      "mixed tree: %zu files (%s); %d misdetected, %d decoded wrong; %d of %d Shift JIS "
      "files certain early\n",
      written.size(), summary.c_str() + 1, misdetected, wrongBytes, certainEarly, shiftJis);
  EXPECT_EQ(misdetected, 0);
  EXPECT_EQ(wrongBytes, 0);
}

}  // namespace
