#pragma once

#include <string>
#include <vector>

// The rules of the cap data editor, apart from its window: an effect entry typed by the user
// checked against the effect kinds and written in the form the effect dialogs write.
//
//   "aro45"                        -> "ARo45"
//   "rgb0,1,2,0,0,0,5,-12,0"       -> "RGB0,1,2,0,0,0,+005,-012, 000"
//   "ffistd,3,1,1,1,1,1,1,1,1,1,0,0" -> "FFiStd,  3, 1,1,1,1,1,1,1,1,1, 0,0"
//   "txtc,c,Sans,0,9,255,a,b,0,0,0,0,1" -> "Txtc,c,Sans,..." (twelve fields, the text escaped)
//
// False (normalised untouched) for an entry of no known kind or with wrong fields.
bool NormalizeEffectEntry(const std::string& entry, std::string& normalised);

// A record line split for the editor: the path, the four region numbers as typed and the
// effect entries. False for fewer than 5 or more than 11 fields.
struct TEditedRecord {
  std::string path_field;
  std::string numbers[4];
  std::vector<std::string> effects;
};
bool SplitRecordLine(const std::string& line, TEditedRecord& record);
std::string JoinRecordLine(const TEditedRecord& record);
