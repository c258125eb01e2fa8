#include "shell/help_text.h"

#include <gtest/gtest.h>

#include "platform/message_catalog.h"

using namespace varsik;

// Without a catalogue the texts stay English, as in the C locale.
TEST(HelpText, TwoColumnsWithContinuationsAndLongNames) {
  constexpr THelpOption kRows[] = {
      HelpOption("-s, --short", "after a short name"),
      HelpOption("--long", "a long name alone lines up\nand goes on in the text column"),
      HelpOption("--a-name-past-the-column=VALUE", "starts on the next line"),
      HelpOption("--fits-at2=N", "two blanks between"),
      HelpOption("--one-more=NN", "one blank is too few"),
  };
  EXPECT_EQ(HelpOptionLines(kRows, 20),
            "  -s, --short       after a short name\n"
            "      --long        a long name alone lines up\n"
            "                    and goes on in the text column\n"
            "      --a-name-past-the-column=VALUE\n"
            "                    starts on the next line\n"
            "      --fits-at2=N  two blanks between\n"
            "      --one-more=NN\n"
            "                    one blank is too few\n");
}

TEST(HelpText, ArgumentsAreText) {
  EXPECT_EQ(Platform::Translate("no such folder: %s", {"/a/%s%d%n/"}),
            "no such folder: /a/%s%d%n/");
  EXPECT_EQ(Platform::Translate("cannot read folder %s: %s", {"/x/"}),
            "cannot read folder /x/: %s");
}
