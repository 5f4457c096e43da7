#include "framework/CustomVSTModule.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "framework/CustomVstShellPlugin.h"
#include "framework/FourCC.h"
#include "framework/VSTBoundary.h"

namespace tessel {

const std::array<std::string_view, 13> kEffFlagNames = {
    "effFlagsHasEditor",         "effFlagsHasClip",       "effFlagsHasVu",      "effFlagsCanMono",
    "effFlagsCanReplacing",      "effFlagsProgramChunks", "effFlagsUnused1",    "effFlagsUnused2",
    "effFlagsIsSynth",           "effFlagsNoSoundInStop", "effFlagsExtIsAsync", "effFlagsExtHasBuffer",
    "effFlagsCanDoubleReplacing"};

const std::array<std::string_view, 12> kPluginCategoryNames = {
    "vpcUnknown", "vpcEffect",     "vpcSynth",       "vpcAnalysis",       "vpcMastering", "vpcSpacializer",
    "vpcRoomFx",  "vpcSurroundFx", "vpcRestoration", "vpcOfflineProcess", "vpcShell",     "vpcGenerator"};

const std::array<std::string_view, 27> kCanDoNames = {"vcdSendVstEvents",
                                                      "vcdSendVstMidiEvent",
                                                      "vcdSendVstTimeInfo",
                                                      "vcdReceiveVstEvents",
                                                      "vcdReceiveVstMidiEvent",
                                                      "vcdReceiveVstTimeInfo",
                                                      "vcdOffline",
                                                      "vcdPlugAsChannelInsert",
                                                      "vcdPlugAsSend",
                                                      "vcdMixDryWet",
                                                      "vcdNoRealTime",
                                                      "vcdMultipass",
                                                      "vcdMetapass",
                                                      "vcd1in1out",
                                                      "vcd1in2out",
                                                      "vcd2in1out",
                                                      "vcd2in2out",
                                                      "vcd2in4out",
                                                      "vcd4in2out",
                                                      "vcd4in4out",
                                                      "vcd4in8out",
                                                      "vcd8in4out",
                                                      "vcd8in8out",
                                                      "vcdMidiProgramNames",
                                                      "vcdLiveWithoutToolbar",
                                                      "vcdConformsToWindowRules",
                                                      "vcdBypass"};

const std::array<std::string_view, 2> kProcessPrecisionNames = {"pp32", "pp64"};

namespace {

constexpr const char* kAboutText = "Tessel EQ plug-in framework, Dravik";
constexpr std::size_t kHostProductBufferSize = 64;  // what audioMasterGetProductString may fill
constexpr std::size_t kPinLabelLength = 63;         // characters, before the terminator
constexpr std::size_t kPinShortLabelLength = 7;
constexpr std::uint8_t kDefaultSpeakerArrangement = 1;
constexpr float kVuScale = 32767.0f;

std::intptr_t Answer(bool fired) { return fired ? 1 : 0; }

// A block size a host may mean: checked on the full pointer-sized value, so
// that a huge one is not cut to a plausible-looking 32-bit number.
bool PlausibleBlockSize(std::intptr_t frames) { return frames > 0 && frames <= TCustomVSTModule::kMaxBlockSize; }

}  // namespace

TCustomVSTModule::TCustomVSTModule() : FAbout(kAboutText) {
    UpdateVersion();
    ResizeAccumulationScratch();
}

TCustomVSTModule::~TCustomVSTModule() = default;

// ---- Host connection ----

void TCustomVSTModule::ConnectHost(audioMasterCallback hostCallback) {
    TBasicVSTModule::ConnectHost(hostCallback);
    HostProduct();
    SelectShellPlugin();
}

void TCustomVSTModule::SelectShellPlugin() {
    if (FPlugCategory != TVstPluginCategory::vpcShell) return;
    // WaveLab is known to mishandle the shell query, so it is not asked.
    const bool shellsUsable = HostProduct() != "WaveLab" && HostCanDo("shellCategory") == 1;
    if (!shellsUsable) {
        FPlugCategory = TVstPluginCategory::vpcUnknown;
        return;
    }
    const std::int32_t id = HostCurrentId();
    if (id <= 0) return;
    TCustomVstShellPlugin* item = FShellPlugins.FindByUniqueID(id);
    if (!item) return;
    Effect().uniqueID = id;
    // Only the record's counts change: the stored description must already
    // hold enough programs and parameters for every sub-plug-in.
    const bool pinsChanged = item->numInputs() >= 0 || item->numOutputs() >= 0;
    if (item->numInputs() >= 0) Effect().numInputs = item->numInputs();
    if (item->numOutputs() >= 0) Effect().numOutputs = item->numOutputs();
    if (item->numPrograms() >= 0) Effect().numPrograms = item->numPrograms();
    if (item->numParams() >= 0) Effect().numParams = item->numParams();
    FPlugCategory = item->PlugCategory();
    if (item->OnInstanciate) item->OnInstanciate(*this, UnpackFourCC(id));
    if (pinsChanged) PinCountsChanged();
    HostIOChanged();
}

std::string TCustomVSTModule::HostProduct() {
    // Asked once per instance, answered or not: each parameter description
    // asks again as it goes, and a host that does not answer would be asked
    // some thirty times per instance during a scan. The first ask happens
    // while connecting, before the host holds the record, so no other thread
    // can be asking at the same time.
    if (FHostProductAsked.load(std::memory_order_acquire)) return FHostProductCache;
    if (!HostCallback()) return "Unknown";  // nobody to ask yet
    // Cleared first so that a host which answers without writing reads as empty;
    // one spare zero keeps the read inside the buffer whatever the host wrote.
    char buffer[kHostProductBufferSize + 1] = {};
    std::string product = "Unknown";
    if (HostProductString(buffer)) product.assign(buffer, ::strnlen(buffer, kHostProductBufferSize));
    FHostProductCache = product;
    FHostProductAsked.store(true, std::memory_order_release);
    return product;
}

// ---- Properties ----

void TCustomVSTModule::SetAbout(const std::string&) {}

void TCustomVSTModule::SetVersionMajor(std::int32_t v) {
    FVersionMajor = v;
    UpdateVersion();
}
void TCustomVSTModule::SetVersionMinor(std::int32_t v) {
    FVersionMinor = v;
    UpdateVersion();
}
void TCustomVSTModule::SetVersionRelease(std::int32_t v) {
    FVersionRelease = v;
    UpdateVersion();
}
void TCustomVSTModule::UpdateVersion() {
    // Plain integer arithmetic as hosts decode it; wrap-around instead of overflow.
    const auto version = static_cast<std::uint32_t>(FVersionMajor) * 65536u +
                         static_cast<std::uint32_t>(FVersionMinor) * 256u + static_cast<std::uint32_t>(FVersionRelease);
    Effect().version = static_cast<std::int32_t>(version);
}

void TCustomVSTModule::SetKeysRequired(bool v) {
    FKeysRequired.store(v, std::memory_order_relaxed);
    HostUpdateDisplay();
}

void TCustomVSTModule::SetNumInputs(std::int32_t v) {
    Effect().numInputs = v;
    HostIOChanged();
    PinCountsChanged();
}
void TCustomVSTModule::SetNumOutputs(std::int32_t v) {
    Effect().numOutputs = v;
    HostIOChanged();
    PinCountsChanged();
}
void TCustomVSTModule::PinCountsChanged() { ResizeAccumulationScratch(); }

void TCustomVSTModule::SetSampleRate(float v) {
    if (v == FSampleRate) return;
    FSampleRate = v;
    SampleRateChanged();
}
void TCustomVSTModule::SetBlockSize(std::int32_t v) {
    if (v == FBlockSize || !PlausibleBlockSize(v)) return;
    FBlockSize = v;
    BlockSizeChanged();
}
void TCustomVSTModule::SetBlockSizeAndSampleRate(std::int32_t blockSize, float sampleRate) {
    SetSampleRate(sampleRate);
    SetBlockSize(blockSize);
}
void TCustomVSTModule::SampleRateChanged() {
    if (OnSampleRateChange) OnSampleRateChange(*this, FSampleRate);
}
void TCustomVSTModule::BlockSizeChanged() {
    if (OnBlockSizeChange) OnBlockSizeChange(*this, FBlockSize);
}

std::string TCustomVSTModule::UniqueID() const { return UnpackFourCC(Effect().uniqueID); }
void TCustomVSTModule::SetUniqueID(const std::string& v) { Effect().uniqueID = PackFourCC(v); }

void TCustomVSTModule::SetFlags(TEffFlags v) {
    // The set lives in the low 16 bits; the high half stays clear.
    Effect().flags = static_cast<std::int32_t>(v.ToBits() & 0xFFFFu);
}
TEffFlags TCustomVSTModule::Flags() const {
    return TEffFlags::FromBits(static_cast<std::uint32_t>(Effect().flags) & 0xFFFFu);
}

void TCustomVSTModule::SetIORatio(std::int32_t v) {
    FIORatio = v;
    Effect().ioRatio = static_cast<float>(v);
}

void TCustomVSTModule::SetInitialDelay(std::int32_t v) {
    if (v == FRequestedInitialDelay) return;
    FRequestedInitialDelay = v;
    ReportInitialDelay(v);
}

void TCustomVSTModule::ReportInitialDelay(std::int32_t effectiveDelay) {
    Effect().initialDelay = effectiveDelay;
    if (HostProduct() != "energyXT") HostIOChanged();
}

// ---- Host requests answered with the module's state ----

double TCustomVSTModule::HostSampleRate() {
    const double answer = TBasicVSTModule::HostSampleRate();
    if (answer > 0.0 && static_cast<float>(answer) != FSampleRate) {
        FSampleRate = static_cast<float>(answer);
        SampleRateChanged();
    }
    return answer;
}

std::int32_t TCustomVSTModule::HostBlockSize() {
    const std::int32_t answer = TBasicVSTModule::HostBlockSize();
    if (PlausibleBlockSize(answer) && answer != FBlockSize) {
        FBlockSize = answer;
        BlockSizeChanged();
    }
    return answer;
}

// ---- Speaker arrangements ----

bool TCustomVSTModule::AllocateArrangement(VstSpeakerArrangement*& arrangement, std::int32_t channels) {
    DeallocateArrangement(arrangement);
    if (channels < 0) return false;
    const std::size_t bytes =
        offsetof(VstSpeakerArrangement, speakers) + sizeof(VstSpeakerProperties) * static_cast<std::size_t>(channels);
    // The host's layout is variable-length C memory, so it is allocated as such.
    auto* block = static_cast<VstSpeakerArrangement*>(std::calloc(1, std::max(bytes, sizeof(VstSpeakerArrangement))));
    if (!block) return false;
    block->numChannels = channels;
    arrangement = block;
    return true;
}

bool TCustomVSTModule::DeallocateArrangement(VstSpeakerArrangement*& arrangement) {
    std::free(arrangement);
    arrangement = nullptr;
    return true;
}

bool TCustomVSTModule::CopySpeaker(VstSpeakerProperties* to, const VstSpeakerProperties* from) {
    if (!to || !from) return false;
    *to = *from;
    return true;
}

bool TCustomVSTModule::MatchArrangement(VstSpeakerArrangement*& to, const VstSpeakerArrangement* from) {
    if (!from) return false;
    if (!AllocateArrangement(to, from->numChannels)) return false;
    to->type = from->type;
    for (std::int32_t i = 0; i < from->numChannels; ++i)
        if (!CopySpeaker(&to->speakers[i], &from->speakers[i])) return false;
    return true;
}

// ---- Audio entry points [audio-thread] ----

void TCustomVSTModule::ResizeAccumulationScratch() {
    FScratchOutputs.Resize(numOutputs(), kScratchFrames);
    FScratchInputs.assign(static_cast<std::size_t>(std::max(1, numInputs())), nullptr);
}

void TCustomVSTModule::Process(float** inputs, float** outputs, std::int32_t sampleFrames) {
    if (FActiveProcess) {
        FActiveProcess(inputs, outputs, sampleFrames);
        return;
    }
    if (!FActiveProcessReplacing || sampleFrames <= 0 || !outputs) return;
    // Only a replacing routine: run it on zeroed scratch outputs and add the
    // result. The scratch has a fixed size; longer host blocks run in pieces
    // so the audio thread never allocates.
    const auto inputCount = std::min(static_cast<std::size_t>(std::max(0, numInputs())), FScratchInputs.size());
    for (std::int32_t done = 0; done < sampleFrames;) {
        const std::int32_t frames = std::min(FScratchOutputs.Frames(), sampleFrames - done);
        FScratchOutputs.Zero(frames);
        for (std::size_t c = 0; c < inputCount && inputs; ++c)
            FScratchInputs[c] = inputs[c] ? inputs[c] + done : nullptr;
        FActiveProcessReplacing(inputs ? FScratchInputs.data() : nullptr, FScratchOutputs.Channels(), frames);
        for (std::int32_t c = 0; c < FScratchOutputs.ChannelCount(); ++c) {
            if (!outputs[c]) continue;
            float* out = outputs[c] + done;
            const float* add = FScratchOutputs.Channel(c);
            for (std::int32_t n = 0; n < frames; ++n) out[n] += add[n];
        }
        done += frames;
    }
}

void TCustomVSTModule::ProcessReplacing(float** inputs, float** outputs, std::int32_t sampleFrames) {
    if (FActiveProcessReplacing) FActiveProcessReplacing(inputs, outputs, sampleFrames);
}

void TCustomVSTModule::ProcessDoubleReplacing(double** inputs, double** outputs, std::int32_t sampleFrames) {
    if (FActiveProcessDoubleReplacing) FActiveProcessDoubleReplacing(inputs, outputs, sampleFrames);
}

// ---- Dispatcher handlers ----

void TCustomVSTModule::BeforeDispatch(std::int32_t opcode, std::int32_t, std::intptr_t, void*, float) {
    if (OnDispatcher) OnDispatcher(*this, opcode);
}

std::intptr_t TCustomVSTModule::HandleOpen(std::int32_t, std::intptr_t, void*, float) {
    if (OnOpen) OnOpen(*this);
    return 0;
}

std::intptr_t TCustomVSTModule::HandleClose(std::int32_t, std::intptr_t, void*, float) {
    if (OnClose) OnClose(*this);
    return 0;
}

std::intptr_t TCustomVSTModule::HandleGetVu(std::int32_t, std::intptr_t, void*, float) {
    if (!OnGetVU) return 0;
    float vu = 0.0f;
    OnGetVU(vu);
    const double scaled = static_cast<double>(vu) * static_cast<double>(kVuScale);
    if (!std::isfinite(scaled)) return 0;
    return static_cast<std::intptr_t>(std::nearbyint(scaled));  // halves to even
}

std::intptr_t TCustomVSTModule::HandleSetSampleRate(std::int32_t, std::intptr_t, void*, float opt) {
    SetSampleRate(opt);
    return 1;
}

std::intptr_t TCustomVSTModule::HandleSetBlockSize(std::int32_t, std::intptr_t value, void*, float) {
    if (PlausibleBlockSize(value)) SetBlockSize(static_cast<std::int32_t>(value));
    return 0;
}

std::intptr_t TCustomVSTModule::HandleMainsChanged(std::int32_t, std::intptr_t value, void*, float) {
    if (value == 0) {
        if (OnSuspend) OnSuspend(*this);
    } else {
        if (OnResume) OnResume(*this);
        HostWantMidi(1);
    }
    return 0;
}

std::intptr_t TCustomVSTModule::HandleProcessEvents(std::int32_t, std::intptr_t, void*, float) { return 1; }

std::intptr_t TCustomVSTModule::HandleConnectInput(std::int32_t index, std::intptr_t value, void*, float) {
    if (OnInConnected) OnInConnected(*this, index, value != 0);
    return 1;
}

std::intptr_t TCustomVSTModule::HandleConnectOutput(std::int32_t index, std::intptr_t value, void*, float) {
    if (OnOutConnected) OnOutConnected(*this, index, value != 0);
    return 1;
}

std::intptr_t TCustomVSTModule::HandleGetInputProperties(std::int32_t index, std::intptr_t, void* ptr, float) {
    return AnswerPinProperties(true, index, ptr);
}

std::intptr_t TCustomVSTModule::HandleGetOutputProperties(std::int32_t index, std::intptr_t, void* ptr, float) {
    return AnswerPinProperties(false, index, ptr);
}

std::intptr_t TCustomVSTModule::AnswerPinProperties(bool input, std::int32_t index, void* ptr) {
    auto* record = HostPinProperties(ptr);
    if (!record || index < 0 || index >= (input ? numInputs() : numOutputs())) return 0;
    const std::string number = std::to_string(index + 1);
    std::string label = ((input ? "Input #" : "Output #") + number).substr(0, kPinLabelLength);
    std::string shortLabel = ((input ? "In" : "Out") + number).substr(0, kPinShortLabelLength);
    std::uint8_t arrangement = kDefaultSpeakerArrangement;
    TChannelPropertyFlags flags{TChannelPropertyFlag::cpfIsActive, TChannelPropertyFlag::cpfIsStereo};
    if (auto& event = input ? OnInputProperties : OnOutputProperties)
        event(*this, label, shortLabel, arrangement, flags);

    CopyTextToHost(record->label, label, std::min(sizeof record->label, kPinLabelLength + 1));
    record->flags = static_cast<std::int32_t>(flags.ToBits() & 0x7u);
    CopyTextToHost(record->shortLabel, shortLabel, sizeof record->shortLabel);
    return 1;
}

std::intptr_t TCustomVSTModule::HandleGetPlugCategory(std::int32_t, std::intptr_t, void*, float) {
    return static_cast<std::intptr_t>(FPlugCategory);
}

std::intptr_t TCustomVSTModule::HandleOfflineNotify(std::int32_t index, std::intptr_t value, void* ptr, float) {
    if (!OnOfflineNotify) return 0;
    OnOfflineNotify(*this, ptr, static_cast<std::int32_t>(value), index != 0);
    return 1;
}

std::intptr_t TCustomVSTModule::HandleOfflinePrepare(std::int32_t, std::intptr_t value, void* ptr, float) {
    if (!OnOfflinePrepare) return 0;
    OnOfflinePrepare(*this, ptr, static_cast<std::int32_t>(value));
    return 1;
}

std::intptr_t TCustomVSTModule::HandleOfflineRun(std::int32_t, std::intptr_t value, void* ptr, float) {
    if (!OnOfflineRun) return 0;
    OnOfflineRun(*this, ptr, static_cast<std::int32_t>(value));
    return 1;
}

std::intptr_t TCustomVSTModule::HandleProcessVarIo(std::int32_t, std::intptr_t, void* ptr, float) {
    if (!OnProcessVarIO) return 0;
    OnProcessVarIO(*this, ptr);
    return 1;
}

std::intptr_t TCustomVSTModule::HandleSetBlockSizeAndSampleRate(std::int32_t, std::intptr_t value, void*, float opt) {
    // An implausible block size leaves the block size as it is; the rate still applies.
    SetBlockSizeAndSampleRate(PlausibleBlockSize(value) ? static_cast<std::int32_t>(value) : BlockSize(), opt);
    return 1;
}

std::intptr_t TCustomVSTModule::HandleSetBypass(std::int32_t, std::intptr_t value, void*, float) {
    if (!OnSoftBypass) return 0;
    OnSoftBypass(*this, value != 0);
    return 1;
}

// Name requests carry no buffer size: copies stop at the sizes hosts allocate.
std::intptr_t TCustomVSTModule::HandleGetEffectName(std::int32_t, std::intptr_t, void* ptr, float) {
    return Answer(CopyTextToHost(ptr, EffectName(), kVstMaxEffectNameLen));
}

std::intptr_t TCustomVSTModule::HandleGetVendorString(std::int32_t, std::intptr_t, void* ptr, float) {
    return Answer(CopyTextToHost(ptr, VendorName(), kVstMaxVendorStrLen));
}

std::intptr_t TCustomVSTModule::HandleGetProductString(std::int32_t, std::intptr_t, void* ptr, float) {
    const std::string product = ProductName();
    return Answer(CopyTextToHost(ptr, product.empty() ? EffectName() : product, kVstMaxProductStrLen));
}

std::intptr_t TCustomVSTModule::HandleGetVendorVersion(std::int32_t, std::intptr_t, void*, float) {
    return Effect().version;
}

std::intptr_t TCustomVSTModule::HandleVendorSpecific(std::int32_t index, std::intptr_t value, void* ptr, float opt) {
    // The host's content scale (hosts on high-density screens send it
    // before effEditOpen, and again when the window moves to another screen).
    if (index == kContentScaleIndex && value == kContentScaleValue) {
        constexpr float kLowest = 0.5f, kHighest = 8.0f;  // factors beyond are no scale
        if (!(opt >= kLowest && opt <= kHighest)) return 0;
        const int percent = static_cast<int>(std::lround(opt * 100.0f));
        FHostContentScale.store(percent, std::memory_order_relaxed);
        if (FEditorForm) FEditorForm->SetContentScale(percent);
        return 1;
    }
    return OnVendorSpecific ? OnVendorSpecific(*this, index, value, ptr, opt) : 0;
}

std::intptr_t TCustomVSTModule::HandleCanDo(std::int32_t, std::intptr_t, void* ptr, float) {
    const std::string_view query = TextFromHost(ptr);
    std::intptr_t answer = 0;
    for (const auto& entry : kVstCanDoTexts) {
        if (entry.text == query) {
            answer = FCanDos.Contains(entry.member) ? 1 : -1;
            break;
        }
    }
    if (OnCanDo) OnCanDo(*this, std::string(query));
    return answer;
}

std::intptr_t TCustomVSTModule::HandleGetTailSize(std::int32_t, std::intptr_t, void*, float) { return FTailSize; }

std::intptr_t TCustomVSTModule::HandleKeysRequired(std::int32_t, std::intptr_t, void*, float) {
    return KeysRequired() ? 0 : 1;
}

std::intptr_t TCustomVSTModule::HandleGetVstVersion(std::int32_t, std::intptr_t, void*, float) { return kVstVersion; }

std::intptr_t TCustomVSTModule::HandleSetEditKnobMode(std::int32_t, std::intptr_t value, void*, float) {
    if (!OnEditorKnobMode) return 0;
    OnEditorKnobMode(*this, static_cast<std::int32_t>(value));
    return 1;
}

std::intptr_t TCustomVSTModule::HandleGetSpeakerArrangement(std::int32_t, std::intptr_t, void*, float) { return 0; }

std::intptr_t TCustomVSTModule::HandleShellGetNextPlugin(std::int32_t, std::intptr_t, void* ptr, float) {
    // Every sub-plug-in once, then 0, and the next round starts again.
    if (FShellPluginPosition >= FShellPlugins.Count()) {
        FShellPluginPosition = 0;
        return 0;
    }
    const auto& item = FShellPlugins.Items(FShellPluginPosition++);
    CopyTextToHost(ptr, item.DisplayName(), kVstMaxShellNameLen);
    return item.UniqueIDValue();
}

std::intptr_t TCustomVSTModule::HandleStartProcess(std::int32_t, std::intptr_t, void*, float) {
    if (!OnStartProcess) return 0;
    OnStartProcess(*this);
    return 1;
}

std::intptr_t TCustomVSTModule::HandleStopProcess(std::int32_t, std::intptr_t, void*, float) {
    if (!OnStopProcess) return 0;
    OnStopProcess(*this);
    return 1;
}

std::intptr_t TCustomVSTModule::HandleSetTotalSampleToProcess(std::int32_t, std::intptr_t value, void*, float) {
    return value;
}

std::intptr_t TCustomVSTModule::HandleSetPanLaw(std::int32_t, std::intptr_t value, void*, float opt) {
    if (!OnSetPanLaw) return 0;
    auto type = static_cast<std::int32_t>(value);
    float gain = opt;
    OnSetPanLaw(*this, type, gain);  // changes are not returned to the host
    return 1;
}

std::intptr_t TCustomVSTModule::HandleSetProcessPrecision(std::int32_t, std::intptr_t, void*, float) {
    return static_cast<std::intptr_t>(FProcessPrecision);
}

// ---- Published properties ----

void TCustomVSTModule::DefineProperties(TPropertyTable& t, const TMethodTable& m) {
    t.Define("EffectName", [this](const TStoredValue& v) { SetEffectName(StoredText(v)); });
    t.Define("ProductName", [this](const TStoredValue& v) { SetProductName(StoredText(v)); });
    t.Define("VendorName", [this](const TStoredValue& v) { SetVendorName(StoredText(v)); });
    t.Define("Version", [this](const TStoredValue& v) { SetVersion(StoredText(v)); });
    t.Define("VersionMajor", [this](const TStoredValue& v) { SetVersionMajor(StoredInteger(v)); });
    t.Define("VersionMinor", [this](const TStoredValue& v) { SetVersionMinor(StoredInteger(v)); });
    t.Define("VersionRelease", [this](const TStoredValue& v) { SetVersionRelease(StoredInteger(v)); });
    t.Define("PlugCategory", [this](const TStoredValue& v) {
        SetPlugCategory(StoredEnum<TVstPluginCategory>(v, kPluginCategoryNames));
    });
    t.Define("CanDos", [this](const TStoredValue& v) { SetCanDos(StoredSet<TVstCanDo>(v, kCanDoNames)); });
    t.Define("TailSize", [this](const TStoredValue& v) { SetTailSize(StoredInteger(v)); });
    t.Define("SampleRate", [this](const TStoredValue& v) { SetSampleRate(static_cast<float>(StoredFloat(v))); });
    t.Define("BlockSize", [this](const TStoredValue& v) { SetBlockSize(StoredInteger(v)); });
    t.Define("numInputs", [this](const TStoredValue& v) { SetNumInputs(StoredInteger(v)); });
    t.Define("numOutputs", [this](const TStoredValue& v) { SetNumOutputs(StoredInteger(v)); });
    t.Define("InitialDelay", [this](const TStoredValue& v) { SetInitialDelay(StoredInteger(v)); });
    t.Define("KeysRequired", [this](const TStoredValue& v) { SetKeysRequired(StoredBoolean(v)); });
    t.Define("ProcessPrecisition", [this](const TStoredValue& v) {
        SetProcessPrecisition(StoredEnum<TProcessPrecision>(v, kProcessPrecisionNames));
    });
    t.Define("UniqueID", [this](const TStoredValue& v) { SetUniqueID(StoredText(v)); });
    t.Define("Flags", [this](const TStoredValue& v) { SetFlags(StoredSet<TEffFlag>(v, kEffFlagNames)); });
    t.Define("RealQualities", [this](const TStoredValue& v) { SetRealQualities(StoredInteger(v)); });
    t.Define("OffQualities", [this](const TStoredValue& v) { SetOffQualities(StoredInteger(v)); });
    t.Define("IORatio", [this](const TStoredValue& v) { SetIORatio(StoredInteger(v)); });
    t.Define("numCategories", [this](const TStoredValue& v) { SetNumCategories(StoredInteger(v)); });
    DefineCollection(t, "ShellPlugins", FShellPlugins, m);

    DefineEvent(t, "OnOpen", OnOpen, m);
    DefineEvent(t, "OnClose", OnClose, m);
    DefineEvent(t, "OnInitialize", OnInitialize, m);
    DefineEvent(t, "OnResume", OnResume, m);
    DefineEvent(t, "OnSuspend", OnSuspend, m);
    DefineEvent(t, "OnStartProcess", OnStartProcess, m);
    DefineEvent(t, "OnStopProcess", OnStopProcess, m);
    DefineEvent(t, "OnDispatcher", OnDispatcher, m);
    DefineEvent(t, "OnSampleRateChange", OnSampleRateChange, m);
    DefineEvent(t, "OnBlockSizeChange", OnBlockSizeChange, m);
    DefineEvent(t, "OnGetVU", OnGetVU, m);
    DefineEvent(t, "OnEditorKnobMode", OnEditorKnobMode, m);
    DefineEvent(t, "OnInConnected", OnInConnected, m);
    DefineEvent(t, "OnOutConnected", OnOutConnected, m);
    DefineEvent(t, "OnInputProperties", OnInputProperties, m);
    DefineEvent(t, "OnOutputProperties", OnOutputProperties, m);
    DefineEvent(t, "OnCanDo", OnCanDo, m);
    DefineEvent(t, "OnVendorSpecific", OnVendorSpecific, m);
    DefineEvent(t, "OnSoftBypass", OnSoftBypass, m);
    DefineEvent(t, "OnSetPanLaw", OnSetPanLaw, m);
    DefineEvent(t, "OnOfflineNotify", OnOfflineNotify, m);
    DefineEvent(t, "OnOfflinePrepare", OnOfflinePrepare, m);
    DefineEvent(t, "OnOfflineRun", OnOfflineRun, m);
    DefineEvent(t, "OnProcessVarIO", OnProcessVarIO, m);
    DefineEvent(t, "OnEditOpen", OnEditOpen, m);
    DefineEvent(t, "OnEditClose", OnEditClose, m);
    DefineEvent(t, "OnEditIdle", OnEditIdle, m);
    DefineEvent(t, "OnEditTop", OnEditTop, m);
    DefineEvent(t, "OnEditSleep", OnEditSleep, m);
    DefineEvent(t, "OnEditorKeyDown", OnEditorKeyDown, m);
    DefineEvent(t, "OnEditorKeyUp", OnEditorKeyUp, m);
    DefineEvent(t, "OnCheckKey", OnCheckKey, m);
}

}  // namespace tessel
