// A check box's state. Portable core.
#pragma once

// Grayed: neither ticked nor clear (counts as not ticked).
enum class CheckState { Unchecked = 0, Checked = 1, Grayed = 2 };
