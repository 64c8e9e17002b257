#include "IDEAccess/FamilyIds.h"

// clang-format off
const char FamilyIdTable[kFamilyRows][kFamilyRowSize] = {
    "",     // 0: nothing recognised
    "RB1",  // 1
    "RB2",  // 2
    "RB3",  // 3
    "RB3",  // 4  = row 3
    "RC5",  // 5
    "RC6",  // 6
    "RC7",  // 7
    "RD8",  // 8
    "RD9",  // 9
    "RD9",  // 10 = row 9
    "RE1",  // 11
    "RE2",  // 12
    "RE3",  // 13
    "610",  // 14 (decimal digits)
    "RF5",  // 15
    "RF6",  // 16
    "RF7",  // 17
    "RG8",  // 18
    "640",  // 19 TBR640 (decimal digits)
    "RH0",  // 20
    "RE1",  // 21 = row 11
    "RC7",  // 22 = row 7
    "RD9",  // 23 = row 9
    "RD9",  // 24 = row 9
    "RC7",  // 25 = row 7
    "RD9",  // 26 = row 9
    "RD9",  // 27 = row 9
    "RJ8",  // 28
    "RJ9",  // 29
    "RK0",  // 30
    "RK1",  // 31
    "RC5",  // 32 = row 5
    "RB3",  // 33 = row 3
    "RL4",  // 34
    "RC5",  // 35 = row 5
    "RB1",  // 36 = row 1
    "RB2",  // 37 = row 2
};
// clang-format on

const char kCode9Id[5] = {kMarkerCharacter, 'X', '0', '9', '\0'};

// clang-format off
const SecondStageId kSecondStageIds[kSecondStageIdCount] = {
    {{kMarkerCharacter, 'R', 'B', '1', '-'},      5, 1,  IdRevisionRule::kDigit},
    {{kMarkerCharacter, 'R', 'B', '3', '-', 'X'}, 6, 4,  IdRevisionRule::kUnchanged},
    {{kMarkerCharacter, 'R', 'C', '5', '-'},      5, 5,  IdRevisionRule::kDigit},
    {{kMarkerCharacter, 'R', 'C', '5', '+'},      5, 32, IdRevisionRule::kBinary},
    {{kMarkerCharacter, 'R', 'K', '0', '-'},      5, 30, IdRevisionRule::kDigit},
    {{kMarkerCharacter, 'R', 'C', '7'},           4, 7,  IdRevisionRule::kDigitOrOne},
    {{kMarkerCharacter, 'R', 'E', '1', '-'},      5, 11, IdRevisionRule::kDigit},
};
// clang-format on
