// The switches of a search, as the search dialog shows them, the settings file keeps
// them and a search reads them: one type everywhere, handed around whole. The six of the
// first row, then those that only narrow what is searched (off, nothing is left out).
#pragma once

#include "search/read_encoding.h"

namespace varsik {

struct TSearchSwitches {
  bool UpperLowerMatch = false;                      // 大文字小文字を区別
  bool FuzzySearch = false;                          // あいまい検索
  bool RegularExpSearch = false;                     // 正規表現
  bool SearchAsWord = false;                         // 単語で検索
  bool SubFolderSearch = true;                       // サブフォルダも検索
  bool FileNameSearch = false;                       // ファイル名を検索
  bool SkipBinary = false;                           // バイナリファイルを除外
  bool GitIgnore = false;                            // .gitignore を反映
  TEncodingChoice Encoding = TEncodingChoice::Auto;  // 文字コード

  bool operator==(const TSearchSwitches&) const = default;
};

}  // namespace varsik
