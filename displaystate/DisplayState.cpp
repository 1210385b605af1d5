#include "displaystate/DisplayState.h"

TDisplayState& DisplayState() {
    static TDisplayState state;
    return state;
}
