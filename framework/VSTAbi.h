/*
 * The VST 2 binary interface, declared by us in plain C.
 *
 * Everything a host and a plug-in exchange crosses here: the effect record,
 * the dispatcher and host-callback opcodes and the small records that travel
 * through the untyped pointer argument. Layouts are checked at compile time
 * for the pointer width being built: x86-64 Linux hosts use the classic field
 * order with 8-byte pointers and natural alignment; 32-bit hosts use 4-byte
 * alignment and the historic 144-byte record.
 *
 * Nothing in this header allocates or owns memory; all records are plain data.
 */
#ifndef TESSEL_FRAMEWORK_VSTABI_H
#define TESSEL_FRAMEWORK_VSTABI_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Four characters packed into one 32-bit word, first character in the top byte. */
#define TESSEL_FOURCC(a, b, c, d)                                                                                \
    ((int32_t)(((uint32_t)(uint8_t)(a) << 24) | ((uint32_t)(uint8_t)(b) << 16) | ((uint32_t)(uint8_t)(c) << 8) | \
               (uint32_t)(uint8_t)(d)))

enum {
    kEffectMagic = TESSEL_FOURCC('V', 's', 't', 'P'), /* 0x56737450 */
    kVstVersion = 2400,                               /* answer to effGetVstVersion */
    /* effVendorSpecific's content-scale request: these index and value, the factor in opt. */
    kContentScaleIndex = TESSEL_FOURCC('P', 'r', 'e', 'S'), /* 0x50726553 */
    kContentScaleValue = TESSEL_FOURCC('A', 'e', 'C', 's')  /* 0x41654373 */
};

typedef struct AEffect AEffect;

/* Every routine uses the platform's C calling convention. */
typedef intptr_t (*audioMasterCallback)(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                        float opt);
typedef intptr_t (*AEffectDispatcherProc)(AEffect* effect, int32_t opcode, int32_t index, intptr_t value, void* ptr,
                                          float opt);
typedef void (*AEffectProcessProc)(AEffect* effect, float** inputs, float** outputs, int32_t sampleFrames);
typedef void (*AEffectProcessDoubleProc)(AEffect* effect, double** inputs, double** outputs, int32_t sampleFrames);
typedef void (*AEffectSetParameterProc)(AEffect* effect, int32_t index, float value);
typedef float (*AEffectGetParameterProc)(AEffect* effect, int32_t index);

/* The effect record the host receives from the entry point. */
struct AEffect {
    int32_t magic; /* kEffectMagic */
    AEffectDispatcherProc dispatcher;
    AEffectProcessProc process;           /* accumulating: adds into the outputs */
    AEffectSetParameterProc setParameter; /* normalised 0..1 */
    AEffectGetParameterProc getParameter; /* normalised 0..1 */
    int32_t numPrograms;
    int32_t numParams;
    int32_t numInputs;
    int32_t numOutputs;
    int32_t flags; /* bit n = member n of TEffFlag */
    intptr_t resvd1;
    intptr_t resvd2;
    int32_t initialDelay; /* latency in samples */
    int32_t realQualities;
    int32_t offQualities;
    float ioRatio;
    void* object;     /* the module behind the record */
    void* user;       /* also the module, set by the entry point */
    int32_t uniqueID; /* four-character ID */
    int32_t version;  /* major * 65536 + minor * 256 + release */
    AEffectProcessProc processReplacing;
    AEffectProcessDoubleProc processDoubleReplacing;
    char future[56];
};

/* Flag bits of AEffect.flags. */
enum {
    effFlagsHasEditor = 1 << 0,
    effFlagsHasClip = 1 << 1,
    effFlagsHasVu = 1 << 2,
    effFlagsCanMono = 1 << 3,
    effFlagsCanReplacing = 1 << 4,
    effFlagsProgramChunks = 1 << 5,
    effFlagsUnused1 = 1 << 6,
    effFlagsUnused2 = 1 << 7,
    effFlagsIsSynth = 1 << 8,
    effFlagsNoSoundInStop = 1 << 9,
    effFlagsExtIsAsync = 1 << 10,
    effFlagsExtHasBuffer = 1 << 11,
    effFlagsCanDoubleReplacing = 1 << 12
};

/*
 * The 80 dispatcher opcodes, in order; X(number, name) where the C name is
 * eff##name. One list serves the enumeration, the module's handler table and
 * the host's opcode names.
 */
/* The tables keep their hand-made grid; the formatter would reflow it. */
/* clang-format off */
#define TESSEL_DISPATCHER_OPCODES(X)                                                        \
    X(0, Open) X(1, Close) X(2, SetProgram) X(3, GetProgram) X(4, SetProgramName)            \
    X(5, GetProgramName) X(6, GetParamLabel) X(7, GetParamDisplay) X(8, GetParamName)        \
    X(9, GetVu) X(10, SetSampleRate) X(11, SetBlockSize) X(12, MainsChanged)                 \
    X(13, EditGetRect) X(14, EditOpen) X(15, EditClose) X(16, EditDraw) X(17, EditMouse)     \
    X(18, EditKey) X(19, EditIdle) X(20, EditTop) X(21, EditSleep) X(22, Identify)           \
    X(23, GetChunk) X(24, SetChunk) X(25, ProcessEvents) X(26, CanBeAutomated)               \
    X(27, String2Parameter) X(28, GetNumProgramCategories) X(29, GetProgramNameIndexed)      \
    X(30, CopyProgram) X(31, ConnectInput) X(32, ConnectOutput) X(33, GetInputProperties)    \
    X(34, GetOutputProperties) X(35, GetPlugCategory) X(36, GetCurrentPosition)              \
    X(37, GetDestinationBuffer) X(38, OfflineNotify) X(39, OfflinePrepare) X(40, OfflineRun) \
    X(41, ProcessVarIo) X(42, SetSpeakerArrangement) X(43, SetBlockSizeAndSampleRate)        \
    X(44, SetBypass) X(45, GetEffectName) X(46, GetErrorText) X(47, GetVendorString)         \
    X(48, GetProductString) X(49, GetVendorVersion) X(50, VendorSpecific) X(51, CanDo)       \
    X(52, GetTailSize) X(53, Idle) X(54, GetIcon) X(55, SetViewPosition)                     \
    X(56, GetParameterProperties) X(57, KeysRequired) X(58, GetVstVersion)                   \
    X(59, EditKeyDown) X(60, EditKeyUp) X(61, SetEditKnobMode) X(62, GetMidiProgramName)     \
    X(63, GetCurrentMidiProgram) X(64, GetMidiProgramCategory)                               \
    X(65, HasMidiProgramsChanged) X(66, GetMidiKeyName) X(67, BeginSetProgram)               \
    X(68, EndSetProgram) X(69, GetSpeakerArrangement) X(70, ShellGetNextPlugin)              \
    X(71, StartProcess) X(72, StopProcess) X(73, SetTotalSampleToProcess) X(74, SetPanLaw)   \
    X(75, BeginLoadBank) X(76, BeginLoadProgram) X(77, SetProcessPrecision)                  \
    X(78, GetNumMidiInputChannels) X(79, GetNumMidiOutputChannels)
/* clang-format on */

#define TESSEL_OPCODE_ENUM_ITEM(number, name) eff##name = number,
typedef enum TDispatcherOpcode {
    TESSEL_DISPATCHER_OPCODES(TESSEL_OPCODE_ENUM_ITEM) kDispatcherOpcodeCount = 80
} TDispatcherOpcode;
#undef TESSEL_OPCODE_ENUM_ITEM

/* Requests a plug-in sends through the host callback. 5, 36, 46, 47 and 48 are never sent. */
/* clang-format off */
#define TESSEL_HOST_OPCODES(X)                                                              \
    X(0, Automate) X(1, Version) X(2, CurrentId) X(3, Idle) X(4, PinConnected)              \
    X(6, WantMidi) X(7, GetTime) X(8, ProcessEvents) X(9, SetTime) X(10, TempoAt)           \
    X(11, GetNumAutomatableParameters) X(12, GetParameterQuantization) X(13, IOChanged)     \
    X(14, NeedIdle) X(15, SizeWindow) X(16, GetSampleRate) X(17, GetBlockSize)              \
    X(18, GetInputLatency) X(19, GetOutputLatency) X(20, GetPreviousPlug)                   \
    X(21, GetNextPlug) X(22, WillReplaceOrAccumulate) X(23, GetCurrentProcessLevel)         \
    X(24, GetAutomationState) X(25, OfflineStart) X(26, OfflineRead) X(27, OfflineWrite)    \
    X(28, OfflineGetCurrentPass) X(29, OfflineGetCurrentMetaPass)                           \
    X(30, SetOutputSampleRate) X(31, GetOutputSpeakerArrangement) X(32, GetVendorString)    \
    X(33, GetProductString) X(34, GetVendorVersion) X(35, VendorSpecific) X(37, CanDo)      \
    X(38, GetLanguage) X(39, OpenWindow) X(40, CloseWindow) X(41, GetDirectory)             \
    X(42, UpdateDisplay) X(43, BeginEdit) X(44, EndEdit) X(45, OpenFileSelector)            \
    X(49, GetInputSpeakerArrangement)
/* clang-format on */

#define TESSEL_HOST_OPCODE_ENUM_ITEM(number, name) audioMaster##name = number,
typedef enum THostOpcode { TESSEL_HOST_OPCODES(TESSEL_HOST_OPCODE_ENUM_ITEM) kHostOpcodeLimit = 50 } THostOpcode;
#undef TESSEL_HOST_OPCODE_ENUM_ITEM

/* ---- Records passed through the untyped pointer argument ---- */

enum { kVstMidiType = 1, kVstSysExType = 6 };

/* Generic event header; byteSize counts the bytes after the first two fields. */
typedef struct VstEvent {
    int32_t type;
    int32_t byteSize;
    int32_t deltaFrames;
    int32_t flags;
    char data[16];
} VstEvent;

typedef struct VstMidiEvent {
    int32_t type;     /* kVstMidiType */
    int32_t byteSize; /* 24 */
    int32_t deltaFrames;
    int32_t flags;
    int32_t noteLength;
    int32_t noteOffset;
    char midiData[4];
    int8_t detune;
    uint8_t noteOffVelocity;
    char reserved[2];
} VstMidiEvent;

/* Variable-length: numEvents addresses follow; the declared two are the historic minimum. */
typedef struct VstEvents {
    int32_t numEvents;
    intptr_t reserved;
    VstEvent* events[2];
} VstEvents;

enum { kVstPinIsActive = 1, kVstPinIsStereo = 2, kVstPinUseSpeaker = 4 };

typedef struct VstPinProperties {
    char label[64];
    int32_t flags;
    int32_t arrangementType;
    char shortLabel[8];
    char future[48];
} VstPinProperties;

typedef struct VstParameterProperties {
    float stepFloat;
    float smallStepFloat;
    float largeStepFloat;
    char label[64];
    int32_t flags;
    int32_t minInteger;
    int32_t maxInteger;
    int32_t stepInteger;
    int32_t largeStepInteger;
    char shortLabel[8];
    int16_t displayIndex;
    int16_t category;
    int16_t numParametersInCategory;
    int16_t reserved;
    char categoryLabel[24];
    char future[16];
} VstParameterProperties;

typedef struct VstSpeakerProperties {
    float azimuth;
    float elevation;
    float radius;
    float reserved;
    char name[64];
    int32_t type;
    char future[28];
} VstSpeakerProperties;

/* Variable-length: numChannels speaker records follow the two counts. */
typedef struct VstSpeakerArrangement {
    int32_t type;
    int32_t numChannels;
    VstSpeakerProperties speakers[8];
} VstSpeakerArrangement;

typedef struct VstPatchChunkInfo {
    int32_t version;
    int32_t pluginUniqueID;
    int32_t pluginVersion;
    int32_t numElements;
    char future[48];
} VstPatchChunkInfo;

/* Editor rectangle in pixels. */
typedef struct ERect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
} ERect;

enum { kVstModifierShift = 1, kVstModifierAlt = 2, kVstModifierCommand = 4, kVstModifierControl = 8 };

typedef struct VstKeyCode {
    int32_t character;
    uint8_t virt;     /* VST virtual-key number */
    uint8_t modifier; /* kVstModifier* bits */
} VstKeyCode;

/* Text sizes hosts allocate for the string requests (bytes, including the terminator). */
enum {
    kVstMaxParamStrLen = 32, /* parameter name, label, display */
    kVstMaxProgNameLen = 24, /* program names */
    kVstMaxEffectNameLen = 32,
    kVstMaxVendorStrLen = 64,
    kVstMaxProductStrLen = 64,
    kVstMaxShellNameLen = 64 /* effShellGetNextPlugin */
};

/* The exported entry point. */
typedef AEffect* (*VstPluginMainProc)(audioMasterCallback host);

#ifdef __cplusplus
} /* extern "C" */
#endif

/* ---- Layout checks for the pointer width being built ---- */
#ifdef __cplusplus
#define TESSEL_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define TESSEL_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif
#define TESSEL_CHECK_OFFSET(type, field, at) \
    TESSEL_STATIC_ASSERT(offsetof(type, field) == (at), #type "." #field " offset")

#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
TESSEL_CHECK_OFFSET(AEffect, magic, 0);
TESSEL_CHECK_OFFSET(AEffect, dispatcher, 8);
TESSEL_CHECK_OFFSET(AEffect, process, 16);
TESSEL_CHECK_OFFSET(AEffect, setParameter, 24);
TESSEL_CHECK_OFFSET(AEffect, getParameter, 32);
TESSEL_CHECK_OFFSET(AEffect, numPrograms, 40);
TESSEL_CHECK_OFFSET(AEffect, numParams, 44);
TESSEL_CHECK_OFFSET(AEffect, numInputs, 48);
TESSEL_CHECK_OFFSET(AEffect, numOutputs, 52);
TESSEL_CHECK_OFFSET(AEffect, flags, 56);
TESSEL_CHECK_OFFSET(AEffect, resvd1, 64);
TESSEL_CHECK_OFFSET(AEffect, resvd2, 72);
TESSEL_CHECK_OFFSET(AEffect, initialDelay, 80);
TESSEL_CHECK_OFFSET(AEffect, realQualities, 84);
TESSEL_CHECK_OFFSET(AEffect, offQualities, 88);
TESSEL_CHECK_OFFSET(AEffect, ioRatio, 92);
TESSEL_CHECK_OFFSET(AEffect, object, 96);
TESSEL_CHECK_OFFSET(AEffect, user, 104);
TESSEL_CHECK_OFFSET(AEffect, uniqueID, 112);
TESSEL_CHECK_OFFSET(AEffect, version, 116);
TESSEL_CHECK_OFFSET(AEffect, processReplacing, 120);
TESSEL_CHECK_OFFSET(AEffect, processDoubleReplacing, 128);
TESSEL_CHECK_OFFSET(AEffect, future, 136);
TESSEL_STATIC_ASSERT(sizeof(AEffect) == 192, "AEffect size (64-bit)");
TESSEL_CHECK_OFFSET(VstEvents, reserved, 8);
TESSEL_CHECK_OFFSET(VstEvents, events, 16);
#elif UINTPTR_MAX == 0xFFFFFFFFu
TESSEL_CHECK_OFFSET(AEffect, magic, 0);
TESSEL_CHECK_OFFSET(AEffect, dispatcher, 4);
TESSEL_CHECK_OFFSET(AEffect, process, 8);
TESSEL_CHECK_OFFSET(AEffect, setParameter, 12);
TESSEL_CHECK_OFFSET(AEffect, getParameter, 16);
TESSEL_CHECK_OFFSET(AEffect, numPrograms, 20);
TESSEL_CHECK_OFFSET(AEffect, numParams, 24);
TESSEL_CHECK_OFFSET(AEffect, numInputs, 28);
TESSEL_CHECK_OFFSET(AEffect, numOutputs, 32);
TESSEL_CHECK_OFFSET(AEffect, flags, 36);
TESSEL_CHECK_OFFSET(AEffect, resvd1, 40);
TESSEL_CHECK_OFFSET(AEffect, resvd2, 44);
TESSEL_CHECK_OFFSET(AEffect, initialDelay, 48);
TESSEL_CHECK_OFFSET(AEffect, realQualities, 52);
TESSEL_CHECK_OFFSET(AEffect, offQualities, 56);
TESSEL_CHECK_OFFSET(AEffect, ioRatio, 60);
TESSEL_CHECK_OFFSET(AEffect, object, 64);
TESSEL_CHECK_OFFSET(AEffect, user, 68);
TESSEL_CHECK_OFFSET(AEffect, uniqueID, 72);
TESSEL_CHECK_OFFSET(AEffect, version, 76);
TESSEL_CHECK_OFFSET(AEffect, processReplacing, 80);
TESSEL_CHECK_OFFSET(AEffect, processDoubleReplacing, 84);
TESSEL_CHECK_OFFSET(AEffect, future, 88);
TESSEL_STATIC_ASSERT(sizeof(AEffect) == 144, "AEffect size (32-bit)");
TESSEL_CHECK_OFFSET(VstEvents, reserved, 4);
TESSEL_CHECK_OFFSET(VstEvents, events, 8);
#else
#error "unsupported pointer width"
#endif

/* Records without pointers have one layout for both widths. */
TESSEL_STATIC_ASSERT(sizeof(VstMidiEvent) == 32, "VstMidiEvent size");
TESSEL_CHECK_OFFSET(VstMidiEvent, midiData, 24);
TESSEL_CHECK_OFFSET(VstMidiEvent, detune, 28);
TESSEL_CHECK_OFFSET(VstPinProperties, flags, 64);
TESSEL_CHECK_OFFSET(VstPinProperties, arrangementType, 68);
TESSEL_CHECK_OFFSET(VstPinProperties, shortLabel, 72);
TESSEL_STATIC_ASSERT(sizeof(VstPinProperties) == 128, "VstPinProperties size");
TESSEL_CHECK_OFFSET(VstParameterProperties, label, 12);
TESSEL_CHECK_OFFSET(VstParameterProperties, flags, 76);
TESSEL_CHECK_OFFSET(VstParameterProperties, minInteger, 80);
TESSEL_CHECK_OFFSET(VstParameterProperties, largeStepInteger, 92);
TESSEL_CHECK_OFFSET(VstParameterProperties, shortLabel, 96);
TESSEL_CHECK_OFFSET(VstParameterProperties, displayIndex, 104);
TESSEL_CHECK_OFFSET(VstParameterProperties, category, 106);
TESSEL_STATIC_ASSERT(sizeof(VstParameterProperties) == 152, "VstParameterProperties size");
TESSEL_STATIC_ASSERT(sizeof(VstSpeakerProperties) == 112, "VstSpeakerProperties size");
TESSEL_CHECK_OFFSET(VstSpeakerArrangement, speakers, 8);
TESSEL_CHECK_OFFSET(VstPatchChunkInfo, pluginUniqueID, 4);
TESSEL_STATIC_ASSERT(sizeof(VstPatchChunkInfo) == 64, "VstPatchChunkInfo size");
TESSEL_STATIC_ASSERT(sizeof(ERect) == 8, "ERect size");
TESSEL_CHECK_OFFSET(VstKeyCode, virt, 4);
TESSEL_CHECK_OFFSET(VstKeyCode, modifier, 5);

#undef TESSEL_CHECK_OFFSET
#undef TESSEL_STATIC_ASSERT

#endif /* TESSEL_FRAMEWORK_VSTABI_H */
