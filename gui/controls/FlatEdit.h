#pragma once
// TFlatEdit: the flat one-line box as the editor places it (the editor's
// in-place value box is one). Everything lives in TCustomFlatEdit.

#include "gui/controls/CustomFlatEdit.h"

namespace tessel {

class TFlatEdit final : public TCustomFlatEdit {
public:
    using TCustomFlatEdit::TCustomFlatEdit;
};

}  // namespace tessel
