#pragma once

#include "panel/report_radio_button.h"

#include <array>
#include <cstddef>

// The radio groups of the control panel show the unit's selection, or none.

// Selects the button at `index` and clears the others; an index outside the
// group, or one without a button, clears them all. Null entries (values
// without a button) are skipped.
template <std::size_t N> void SelectOnly(const std::array<ReportRadioButton*, N>& group, int index)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (group[i])
            group[i]->setChecked(static_cast<int>(i) == index);
    }
}
