#include "dsp/BandFilterFactory.h"

#include "dsp/OrvBandpass.h"
#include "dsp/OrvBypass.h"
#include "dsp/OrvHighShelfFilter.h"
#include "dsp/OrvHighcutFilter.h"
#include "dsp/OrvLowShelfFilter.h"
#include "dsp/OrvLowcutFilter.h"
#include "dsp/OrvNotch.h"
#include "dsp/OrvPeakFilter.h"

namespace tessel {

std::unique_ptr<TOrvBiquadFilter> CreateBandFilter(TBandKind kind) {
    switch (kind) {
        case TBandKind::Lowcut:
            return std::make_unique<TOrvLowcutFilter>();
        case TBandKind::Lowshelf:
            return std::make_unique<TOrvLowShelfFilter>();
        case TBandKind::Bandpass:
            return std::make_unique<TOrvBandpass>();
        case TBandKind::Peak:
            return std::make_unique<TOrvPeakFilter>();
        case TBandKind::Notch:
            return std::make_unique<TOrvNotch>();
        case TBandKind::Highshelf:
            return std::make_unique<TOrvHighShelfFilter>();
        case TBandKind::Highcut:
            return std::make_unique<TOrvHighcutFilter>();
        case TBandKind::Bypass:
            return std::make_unique<TOrvBypass>();
    }
    return nullptr;
}

}  // namespace tessel
