#pragma once
// What the configuration dialog lets each numeric plugin.ini key take. The dialog builds its spin
// edits and lists from these tables and the release guide prints its ranges from them, so the
// two cannot tell a user different things. The plug-in itself takes any value.

#include <string>
#include <string_view>
#include <vector>

// A spin edit: its bounds, the step of its arrows and the value it shows before plugin.ini is read.
struct TSpinRange {
    const char* Key;
    int Min;
    int Max;
    int Step;
    int Design;
};

// A combo box or radio group: the key holds the index of the chosen item, 0 to Items.size() - 1.
struct TChoiceList {
    const char* Key;
    std::vector<std::string> Items;
};

const std::vector<TSpinRange>& SpinRanges();
const std::vector<TChoiceList>& ChoiceLists();

// Null when no spin edit, or no list, sets the key.
const TSpinRange* FindSpinRange(std::string_view key);
const TChoiceList* FindChoiceList(std::string_view key);
