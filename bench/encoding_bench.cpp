// Detection and decoding speeds on the benchmark corpus: its big Shift JIS and UTF-8 files
// as they are, and EUC-JP, UTF-16 and ISO-2022-JP copies of the UTF-8 file made with iconv
// on first use. Each benchmark reads the whole file as the reader would, in blocks of
// 128 KB, and reports bytes per second of the file. The corpus lives in /work/corpus, or
// where VARSIK_CORPUS says; without it every benchmark is skipped.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "search/decoder.h"
#include "search/encoding_detector.h"
#include "tests/search/encoded_text.h"

using namespace varsik;

namespace {

constexpr size_t kBlock = 128 * 1024;

std::string CorpusFile(const char* name) {
  const char* dir = std::getenv("VARSIK_CORPUS");
  const std::filesystem::path path = std::filesystem::path(dir ? dir : "/work/corpus") / name;
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The corpus text in `encoding`, made once.
const std::string& Text(TEncoding encoding) {
  static std::map<TEncoding, std::string> texts;
  auto it = texts.find(encoding);
  if (it != texts.end()) return it->second;
  std::string text;
  switch (encoding) {
    case TEncoding::ShiftJis:
      text = CorpusFile("big.sjis");
      break;
    case TEncoding::Utf8:
      text = CorpusFile("big.utf8");
      break;
    case TEncoding::EucJp:
      if (!Text(TEncoding::Utf8).empty())
        text = EncodedText::Iconv("EUC-JP-MS", "UTF-8", Text(TEncoding::Utf8));
      break;
    case TEncoding::Utf16Le:
      if (!Text(TEncoding::Utf8).empty())
        text = "\xFF\xFE" + EncodedText::Iconv("UTF-16LE", "UTF-8", Text(TEncoding::Utf8));
      break;
    case TEncoding::Iso2022Jp:
      if (!Text(TEncoding::EucJp).empty())
        text = EncodedText::EucJpToIso2022Jp(Text(TEncoding::EucJp));
      break;
    default:
      break;
  }
  return texts.emplace(encoding, std::move(text)).first->second;
}

std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// The detector over the whole file, or until it is certain; counts the bytes it read.
void BM_Detect(benchmark::State& state, TEncoding encoding) {
  const std::string& text = Text(encoding);
  if (text.empty()) return state.SkipWithError("no corpus");
  const std::span<const uint8_t> all = Bytes(text);
  uint64_t read = 0;
  for (auto _ : state) {
    TEncodingDetector detector;
    for (size_t i = 0; i < all.size(); i += kBlock)
      if (detector.Feed(all.subspan(i, std::min(kBlock, all.size() - i)))) break;
    if (detector.Finish() != encoding) return state.SkipWithError("detected another encoding");
    read = detector.BytesRead();
    benchmark::DoNotOptimize(read);
  }
  state.counters["read_bytes"] = static_cast<double>(read);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * read));
}

// The decoder over the whole file, block by block into one reused buffer.
void BM_Decode(benchmark::State& state, TEncoding encoding) {
  const std::string& text = Text(encoding);
  if (text.empty()) return state.SkipWithError("no corpus");
  const std::span<const uint8_t> all = Bytes(text);
  TEngineCodes codes;
  std::vector<uint8_t> out(TDecoder::MaxOutput(kBlock));
  size_t engineBytes = 0;
  for (auto _ : state) {
    const std::unique_ptr<TDecoder> decoder = MakeDecoder(encoding, codes);
    engineBytes = 0;
    for (size_t i = 0; i < all.size(); i += kBlock) {
      const uint8_t* end =
          decoder->Decode(all.subspan(i, std::min(kBlock, all.size() - i)), out.data());
      engineBytes += static_cast<size_t>(end - out.data());
    }
    engineBytes += static_cast<size_t>(decoder->Finish(out.data()) - out.data());
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["engine_bytes"] = static_cast<double>(engineBytes);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * all.size()));
}

// As a reader would take a file: the detector until it is certain or only one encoding is
// left to be confirmed (TEncodingDetector::SoleCandidate), then the decoder over the
// whole file, whose count of undecodable bytes confirms it.
void BM_DetectAndDecode(benchmark::State& state, TEncoding encoding) {
  const std::string& text = Text(encoding);
  if (text.empty()) return state.SkipWithError("no corpus");
  const std::span<const uint8_t> all = Bytes(text);
  TEngineCodes codes;
  std::vector<uint8_t> out(TDecoder::MaxOutput(kBlock));
  uint64_t detected = 0;
  for (auto _ : state) {
    TEncodingDetector detector;
    std::optional<TEncoding> sole;
    for (size_t i = 0; i < all.size() && !sole; i += kBlock) {
      if (detector.Feed(all.subspan(i, std::min(kBlock, all.size() - i)))) break;
      sole = detector.SoleCandidate();
    }
    detected = detector.BytesRead();
    const std::unique_ptr<TDecoder> decoder = MakeDecoder(sole ? *sole : detector.Finish(), codes);
    if (!decoder) continue;
    for (size_t i = 0; i < all.size(); i += kBlock)
      decoder->Decode(all.subspan(i, std::min(kBlock, all.size() - i)), out.data());
    decoder->Finish(out.data());
    if (decoder->Undecodable() > TEncodingDetector::kMaxErrors)
      return state.SkipWithError("the sole candidate was not confirmed");
  }
  state.counters["detector_bytes"] = static_cast<double>(detected);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * all.size()));
}

BENCHMARK_CAPTURE(BM_Detect, shift_jis, TEncoding::ShiftJis)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Detect, utf8, TEncoding::Utf8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Detect, euc_jp, TEncoding::EucJp)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Detect, utf16le_bom, TEncoding::Utf16Le)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Detect, iso2022jp, TEncoding::Iso2022Jp)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode, utf8, TEncoding::Utf8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode, euc_jp, TEncoding::EucJp)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode, utf16le, TEncoding::Utf16Le)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Decode, iso2022jp, TEncoding::Iso2022Jp)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DetectAndDecode, utf8, TEncoding::Utf8)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_DetectAndDecode, euc_jp, TEncoding::EucJp)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
