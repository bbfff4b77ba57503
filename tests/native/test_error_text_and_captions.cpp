// Texts the user reads: the error box's closing full stop, the start-up
// failure box, and the drive entries' captions.
#include <gtest/gtest.h>

#include "app/error_text.h"
#include "drives/drive_caption.h"

namespace tarvelo {
namespace {

TEST(ErrorText, FullStopOnlyAfterCharactersThatSortAfterIt) {
  // The registry error ends in a quote, which sorts before '.': no full stop.
  EXPECT_EQ(WithFullStop("Failed to set data for 'AutoHide'"), "Failed to set data for 'AutoHide'");
  EXPECT_EQ(WithFullStop("Cannot create shell notification icon"), "Cannot create shell notification icon.");
  EXPECT_EQ(WithFullStop("Done."), "Done.");
  // '!', ')' and '-' sort before '.'; '?' and '/' after it.
  EXPECT_EQ(WithFullStop("Stop!"), "Stop!");
  EXPECT_EQ(WithFullStop("Really?"), "Really?.");
  EXPECT_EQ(WithFullStop("(code 5)"), "(code 5)");
  EXPECT_EQ(WithFullStop("x -"), "x -");
  EXPECT_EQ(WithFullStop("path /"), "path /.");
  EXPECT_EQ(WithFullStop(""), "");
  // A last byte above 127 (a code-page letter) sorts after '.' too; a signed
  // comparison would have skipped the full stop.
  EXPECT_EQ(WithFullStop("Caf\xE9"), "Caf\xE9.");
}

TEST(ErrorText, StartupFailureNamesClassModuleAddressAndText) {
  const std::string text =
      ApplicationErrorText("Exception %s in module %s at %s.", "EOutOfResources", "Tarvelo.exe", 0x4A2B1C,
                           "Cannot create shell notification icon");
  const std::string digits(2 * sizeof(std::uintptr_t) - 6, '0');
  EXPECT_EQ(text, "Exception EOutOfResources in module Tarvelo.exe at " + digits +
                      "4A2B1C.\nCannot create shell notification icon");
}

// Names and paths go into messages as they are: a "%s" inside one is text.
TEST(ErrorText, FillInTakesArgumentsInOrderAndNeverAsFormats) {
  EXPECT_EQ(FillIn("Image %s introuvable.", {"a%sb.png"}), "Image a%sb.png introuvable.");
  EXPECT_EQ(FillIn("%s and %s", {"one"}), "one and %s");
  EXPECT_EQ(FillIn("100% %d", {"x"}), "100% %d");
}

TEST(DriveCaption, DriveStringsAndPaths) {
  EXPECT_EQ(DriveString('D'), "D:");
  EXPECT_EQ(DriveRootPath('A'), "A:\\");
  EXPECT_EQ(DriveDevicePath('F'), "\\\\.\\F:");
  EXPECT_EQ(DriveDevicePath('F').size(), 6u);
}

TEST(DriveCaption, LabelBlankOrBareDriveString) {
  EXPECT_EQ(DriveEntryCaption("D:", true, "BACKUP"), "D: BACKUP");
  EXPECT_EQ(DriveEntryCaption("D:", true, ""), "D: ");
  EXPECT_EQ(DriveEntryCaption("D:", false, "STALE"), "D:");
}

TEST(DriveCaption, AmpersandsShowAsOnTheDisc) {
  EXPECT_EQ(DriveEntryCaption("E:", true, "R&B"), "E: R&&B");
  EXPECT_EQ(DriveEntryCaption("E:", true, "&&&"), "E: &&&&&&");
  EXPECT_EQ(DriveEntryCaption("E:", true, "A&"), "E: A&&");
}

// A menu reads a tab as the start of the shortcut column and other control
// characters as nothing it can draw: each shows as a blank, in its place.
TEST(DriveCaption, ControlCharactersShowAsBlanks) {
  EXPECT_EQ(DriveEntryCaption("D:", true, "MY\tDISC"), "D: MY DISC");
  EXPECT_EQ(DriveEntryCaption("D:", true, std::string("\x01\n\r\x1F\x7F", 5)), "D:      ");
  // Letters outside ASCII (UTF-8, bytes above 127) and the blank stay.
  EXPECT_EQ(DriveEntryCaption("D:", true, "Caf\xC3\xA9 \xE7\x94\xA8~"), "D: Caf\xC3\xA9 \xE7\x94\xA8~");
}

}  // namespace
}  // namespace tarvelo
