#pragma once
// The software-pipelined cascade shared by the wide kernels. Not a public
// header: a kernel's source file defines TESSEL_PIPELINE_TARGET (the target
// attribute of its vector unit) and a lane traits class, then includes this
// file inside its own anonymous namespace, so every function here is compiled
// for that unit alone and nothing can leak into code for a baseline processor.
//
// Layout. A vector holds Q slots (Q = TLanes::kQuarters, each quarter of the
// vector one slot for both channels). With n active slots the cascade runs as
// V = ceil(n / Q) vectors; quarter q of vector k is slot k + q*V. At step t,
// slot j works on frame t - j, taking what slot j - 1 made at step t - 1, so
// vector k's input is vector k - 1's last output, lane for lane; only vector
// 0 needs a shuffle, to take the new frame into quarter 0 and move vector
// V - 1's last outputs up by one quarter. Every vector's recursion advances
// once per step, independently of the others:
//   y = b0*x + s0;  s0 = (b1*x + s1) - a1*y;  s1 = b2*x - a2*y
// five FMA-unit operations per vector. Fused multiply-adds round once where
// the scalar recursion rounds twice, so results differ from it in the last
// bits. The last active slot's output leaves the pipeline n - 1 steps after
// its frame entered it. Slots from n to Q*V - 1 are the cascade's identity
// slots: they pass their input on and nothing reads them.
//
// Edges. A block of f frames takes f + n - 1 steps. In the first and the last
// n - 1 steps some slots have no frame of this block: those steps skip
// vectors without one and keep the states of a vector's idle quarters, with
// the pattern fixed at compile time. Blocks shorter than the pipeline use a
// general step that works out per lane at run time whether its slot is busy.
//
// The traits class provides, all for its target:
//   TVector; kQuarters; Layout(cascade): the cascade's coefficients for Q;
//   Load(lanes, k) / Store(lanes, k, v): vector k of lanes in the layout for Q
//   Zero(), Fmadd(a, b, c) = a*b + c, Mul(a, b)
//   ClearNonFinite(s0, s1): both 0 in every lane where either is not finite
//   ShiftIn(frame, last): quarter 0 = frame, quarter q = last's quarter q - 1
//   Quarter<q>(v): quarter q as a 128-bit frame
//   KeepQuarters<mask>(fresh, old): old in the quarters whose mask bit is set
//   KeepIdle(fresh, old, k, V, t, frames): old where slot k + q*V has no frame
//     t - slot in 0 .. frames - 1
//   TGroup: kFrameGroup frames; LoadGroup(block, t) (guard added) and
//     StoreGroup(block, t, group) for frames t .. t + 3 of a block;
//     ShiftInFromGroup<i>(group, last): ShiftIn of the group's frame i;
//     CollectOutput<i, q>(group, y): y's quarter q becomes the group's frame i
//     (frames collected in order 0, 1, 2, 3)
//   Broadcast(x): x in every lane; ScaleGroup(group, gain): every frame of
//     the group times gain (a Broadcast)
//
// Output gain. With kScaled, every frame leaving the cascade is multiplied
// by the block's gain before it is rounded and stored; without it (gain
// exactly 1) nothing is, so the output is bit for bit the cascade's.

// Included inside a namespace, so it includes nothing itself: the kernel's
// file includes <utility>, BiquadCascade.h and StereoBlock.h first.

#define TESSEL_PIPELINE_INLINE TESSEL_PIPELINE_TARGET __attribute__((always_inline)) inline

template <class TLanes, int kActive>
struct TPipeline {
    using TVector = typename TLanes::TVector;
    static constexpr int kQuarters = TLanes::kQuarters;
    static constexpr int kVectors = (kActive + kQuarters - 1) / kQuarters;
    static constexpr int kLag = kActive - 1;  // steps from a frame's entry to its output
    static constexpr int kOutputVector = kLag % kVectors;
    static constexpr int kOutputQuarter = kLag / kVectors;
    static_assert(kQuarters * kVectors <= tessel::TBiquadCascade::kMaxSlots, "the cascade has no slot for a quarter");

    // Copies of the cascade's coefficients: the output stores may alias any
    // memory as far as the compiler knows, so values read from the cascade
    // inside the loop would be read again after every store.
    TVector b0[kVectors], b1[kVectors], b2[kVectors], negA1[kVectors], negA2[kVectors];
    TVector s0[kVectors];
    TVector s1[kVectors];
    TVector y[kVectors];  // each slot's output of the previous step

    // The states must be in this layout (ArrangeStates).
    TESSEL_PIPELINE_INLINE explicit TPipeline(const tessel::TBiquadCascade& c) {
        const tessel::TBiquadCascade::TCoefficientLanes& layout = TLanes::Layout(c);
#pragma GCC unroll 8
        for (int k = 0; k < kVectors; ++k) {
            b0[k] = TLanes::Load(layout.b0, k);
            b1[k] = TLanes::Load(layout.b1, k);
            b2[k] = TLanes::Load(layout.b2, k);
            negA1[k] = TLanes::Load(layout.negA1, k);
            negA2[k] = TLanes::Load(layout.negA2, k);
            s0[k] = TLanes::Load(c.s0, k);
            s1[k] = TLanes::Load(c.s1, k);
            y[k] = TLanes::Zero();
        }
    }

    // Stores the states at the end of a block, clearing every lane where a
    // state became infinite or NaN so the next block starts afresh there.
    TESSEL_PIPELINE_INLINE void SaveStates(tessel::TBiquadCascade& c) const {
#pragma GCC unroll 8
        for (int k = 0; k < kVectors; ++k) {
            TVector a = s0[k];
            TVector b = s1[k];
            TLanes::ClearNonFinite(a, b);
            TLanes::Store(c.s0, k, a);
            TLanes::Store(c.s1, k, b);
        }
    }

    TESSEL_PIPELINE_INLINE __m128d Output() const { return TLanes::template Quarter<kOutputQuarter>(y[kOutputVector]); }
};

// The block's output gain in the forms the stores need.
template <class TLanes>
struct TOutputGain {
    typename TLanes::TVector group;
    __m128d frame;
};

template <bool kScaled, class TLanes>
TESSEL_PIPELINE_INLINE __m128d Scaled(__m128d frame, const TOutputGain<TLanes>& gain) {
    if constexpr (kScaled) return _mm_mul_pd(frame, gain.frame);
    return frame;
}

// One vector's recursion on input x.
template <class TVector>
struct TVectorStep {
    TVector y, s0, s1;
};

template <class TLanes, int kActive>
TESSEL_PIPELINE_INLINE TVectorStep<typename TLanes::TVector> VectorStep(const TPipeline<TLanes, kActive>& p, int k,
                                                                        typename TLanes::TVector x) {
    const auto y = TLanes::Fmadd(p.b0[k], x, p.s0[k]);
    const auto t0 = TLanes::Fmadd(p.b1[k], x, p.s1[k]);
    const auto t1 = TLanes::Mul(p.b2[k], x);
    return {y, TLanes::Fmadd(p.negA1[k], y, t0), TLanes::Fmadd(p.negA2[k], y, t1)};
}

// Which part of the block a step belongs to. Filling step t: slots 0 .. t
// have a frame. Draining step e: slots e + 1 and above still have one.
enum class TPhase { Fill, Full, Drain };

constexpr bool SlotBusy(TPhase phase, int step, int slot) {
    switch (phase) {
        case TPhase::Fill:
            return slot <= step;
        case TPhase::Full:
            return true;
        case TPhase::Drain:
            return slot >= step + 1;
    }
    return true;
}

// Bit q set: quarter q of vector k holds an active slot with no frame at
// this step, whose states must be kept. The identity slots beyond the active
// ones never need keeping: their states stay 0 whatever passes through.
constexpr int IdleQuarters(TPhase phase, int step, int vectors, int quarters, int k, int active) {
    int mask = 0;
    for (int q = 0; q < quarters; ++q) {
        const int slot = k + q * vectors;
        if (slot < active && !SlotBusy(phase, step, slot)) mask |= 1 << q;
    }
    return mask;
}

// Whether any active slot of vector k has a frame at this step.
constexpr bool VectorBusy(TPhase phase, int step, int vectors, int quarters, int k, int active) {
    for (int q = 0; q < quarters; ++q) {
        const int slot = k + q * vectors;
        if (slot < active && SlotBusy(phase, step, slot)) return true;
    }
    return false;
}

// One step of vector k (compile-time), from the last vector to the first so
// each reads its input before the vector below overwrites it.
template <class TLanes, int kActive, TPhase kPhase, int kStep, int kVector>
TESSEL_PIPELINE_INLINE void VectorInStep(TPipeline<TLanes, kActive>& p, typename TLanes::TVector first) {
    using TPipe = TPipeline<TLanes, kActive>;
    constexpr int kIdle = IdleQuarters(kPhase, kStep, TPipe::kVectors, TPipe::kQuarters, kVector, kActive);
    if constexpr (VectorBusy(kPhase, kStep, TPipe::kVectors, TPipe::kQuarters, kVector, kActive)) {
        const auto r = VectorStep(p, kVector, kVector == 0 ? first : p.y[kVector == 0 ? 0 : kVector - 1]);
        if constexpr (kIdle == 0) {
            p.s0[kVector] = r.s0;
            p.s1[kVector] = r.s1;
        } else {
            p.s0[kVector] = TLanes::template KeepQuarters<kIdle>(r.s0, p.s0[kVector]);
            p.s1[kVector] = TLanes::template KeepQuarters<kIdle>(r.s1, p.s1[kVector]);
        }
        p.y[kVector] = r.y;
    }
}

// One step, given vector 0's input (taken before the last vector changes).
template <class TLanes, int kActive, TPhase kPhase, int kStep, int... kIndices>
TESSEL_PIPELINE_INLINE void StepVectors(TPipeline<TLanes, kActive>& p, typename TLanes::TVector first,
                                        std::integer_sequence<int, kIndices...>) {
    constexpr int kLast = TPipeline<TLanes, kActive>::kVectors - 1;
    (VectorInStep<TLanes, kActive, kPhase, kStep, kLast - kIndices>(p, first), ...);
}

template <class TLanes, int kActive, TPhase kPhase, int kStep>
TESSEL_PIPELINE_INLINE void StepFrom(TPipeline<TLanes, kActive>& p, typename TLanes::TVector first) {
    StepVectors<TLanes, kActive, kPhase, kStep>(
        p, first, std::make_integer_sequence<int, TPipeline<TLanes, kActive>::kVectors>());
}

// One step; returns the frame leaving the last active slot.
template <class TLanes, int kActive, TPhase kPhase, int kStep>
TESSEL_PIPELINE_INLINE __m128d Step(TPipeline<TLanes, kActive>& p, __m128d frame) {
    StepFrom<TLanes, kActive, kPhase, kStep>(p, TLanes::ShiftIn(frame, p.y[TPipeline<TLanes, kActive>::kVectors - 1]));
    return p.Output();
}

// Frame kFrame of a group of full steps: the frames enter and leave in the
// traits' group form, which takes fewer shuffles and conversions than
// moving them one by one.
template <class TLanes, int kActive, int kFrame>
TESSEL_PIPELINE_INLINE void GroupStep(TPipeline<TLanes, kActive>& p, const typename TLanes::TGroup& in,
                                      typename TLanes::TGroup& out) {
    using TPipe = TPipeline<TLanes, kActive>;
    StepFrom<TLanes, kActive, TPhase::Full, 0>(p,
                                               TLanes::template ShiftInFromGroup<kFrame>(in, p.y[TPipe::kVectors - 1]));
    TLanes::template CollectOutput<kFrame, TPipe::kOutputQuarter>(out, p.y[TPipe::kOutputVector]);
}

template <bool kScaled, class TLanes, int kActive, class T, int... kFrames>
TESSEL_PIPELINE_INLINE void GroupSteps(TPipeline<TLanes, kActive>& p, const tessel::TStereoBlock<T>& block, int t,
                                       const TOutputGain<TLanes>& gain, std::integer_sequence<int, kFrames...>) {
    const typename TLanes::TGroup in = TLanes::LoadGroup(block, t);
    typename TLanes::TGroup out;
    (GroupStep<TLanes, kActive, kFrames>(p, in, out), ...);
    if constexpr (kScaled) TLanes::ScaleGroup(out, gain.group);
    TLanes::StoreGroup(block, t - TPipeline<TLanes, kActive>::kLag, out);
}

template <class TLanes, int kActive, class T, int... kSteps>
TESSEL_PIPELINE_INLINE void Fill(TPipeline<TLanes, kActive>& p, const tessel::TStereoBlock<T>& block,
                                 std::integer_sequence<int, kSteps...>) {
    (Step<TLanes, kActive, TPhase::Fill, kSteps>(p, tessel::LoadFrame(block, kSteps)), ...);
}

template <bool kScaled, class TLanes, int kActive, class T, int... kSteps>
TESSEL_PIPELINE_INLINE void Drain(TPipeline<TLanes, kActive>& p, const tessel::TStereoBlock<T>& block,
                                  const TOutputGain<TLanes>& gain, std::integer_sequence<int, kSteps...>) {
    const int first = block.frames - TPipeline<TLanes, kActive>::kLag;
    (tessel::StoreFrame(block, first + kSteps,
                        Scaled<kScaled>(Step<TLanes, kActive, TPhase::Drain, kSteps>(p, _mm_setzero_pd()), gain)),
     ...);
}

// A step for blocks shorter than the pipeline: every vector runs, and lanes
// whose slot has no frame of this block keep their states.
template <class TLanes, int kActive>
TESSEL_PIPELINE_INLINE __m128d GeneralStep(TPipeline<TLanes, kActive>& p, __m128d frame, int t, int frames) {
    constexpr int kVectors = TPipeline<TLanes, kActive>::kVectors;
    const auto first = TLanes::ShiftIn(frame, p.y[kVectors - 1]);
#pragma GCC unroll 8
    for (int k = kVectors - 1; k >= 0; --k) {
        const auto r = VectorStep(p, k, k == 0 ? first : p.y[k - 1]);
        p.s0[k] = TLanes::KeepIdle(r.s0, p.s0[k], k, kVectors, t, frames);
        p.s1[k] = TLanes::KeepIdle(r.s1, p.s1[k], k, kVectors, t, frames);
        p.y[k] = r.y;
    }
    return p.Output();
}

// [audio-thread] Runs the block through the cascade's kActive slots.
// Aligned to a cache line: the processor fetches and caches decoded
// instructions by such lines, and where the loop falls in them moves the
// block's time by several percent.
template <class TLanes, int kActive, bool kScaled, class T>
TESSEL_PIPELINE_TARGET __attribute__((aligned(64))) void RunPipeline(tessel::TBiquadCascade& c,
                                                                     const tessel::TStereoBlock<T>& io) noexcept {
    using TPipe = TPipeline<TLanes, kActive>;
    constexpr int kLag = TPipe::kLag;
    c.ArrangeStates(TPipe::kQuarters);
    TPipe p(c);
    const tessel::TStereoBlock<T> block = io;  // a local copy, for the same reason as the coefficients
    const TOutputGain<TLanes> gain{TLanes::Broadcast(block.gain), _mm_set1_pd(block.gain)};
    const int frames = block.frames;
    if (frames >= kLag) {
        Fill(p, block, std::make_integer_sequence<int, kLag>());
        int t = kLag;
        for (; t <= frames - tessel::kFrameGroup; t += tessel::kFrameGroup) {
            GroupSteps<kScaled>(p, block, t, gain, std::make_integer_sequence<int, tessel::kFrameGroup>());
        }
        for (; t < frames; ++t) {
            const __m128d out = Step<TLanes, kActive, TPhase::Full, 0>(p, tessel::LoadFrame(block, t));
            tessel::StoreFrame(block, t - kLag, Scaled<kScaled>(out, gain));
        }
        Drain<kScaled>(p, block, gain, std::make_integer_sequence<int, kLag>());
    } else {
        for (int t = 0; t < frames + kLag; ++t) {
            const __m128d in = t < frames ? tessel::LoadFrame(block, t) : _mm_setzero_pd();
            const __m128d out = GeneralStep(p, in, t, frames);
            if (t >= kLag) tessel::StoreFrame(block, t - kLag, Scaled<kScaled>(out, gain));
        }
    }
    p.SaveStates(c);
}

// [audio-thread] No active slot: the frames pass with only the guard added (and the gain).
template <class TLanes, bool kScaled, class T>
TESSEL_PIPELINE_TARGET void PassThrough(const tessel::TStereoBlock<T>& block) noexcept {
    const TOutputGain<TLanes> gain{TLanes::Broadcast(block.gain), _mm_set1_pd(block.gain)};
    for (int n = 0; n < block.frames; ++n)
        tessel::StoreFrame(block, n, Scaled<kScaled>(tessel::LoadFrame(block, n), gain));
}

template <class TLanes, bool kScaled, class T>
TESSEL_PIPELINE_TARGET void RunActiveSlots(tessel::TBiquadCascade& c, const tessel::TStereoBlock<T>& block) noexcept {
    switch (c.activeSlots) {
        case 1:
            RunPipeline<TLanes, 1, kScaled>(c, block);
            break;
        case 2:
            RunPipeline<TLanes, 2, kScaled>(c, block);
            break;
        case 3:
            RunPipeline<TLanes, 3, kScaled>(c, block);
            break;
        case 4:
            RunPipeline<TLanes, 4, kScaled>(c, block);
            break;
        case 5:
            RunPipeline<TLanes, 5, kScaled>(c, block);
            break;
        case 6:
            RunPipeline<TLanes, 6, kScaled>(c, block);
            break;
        case 7:
            RunPipeline<TLanes, 7, kScaled>(c, block);
            break;
        default:
            PassThrough<TLanes, kScaled>(block);
            break;
    }
}

// [audio-thread] The pipeline for the cascade's number of active slots.
template <class TLanes, class T>
TESSEL_PIPELINE_TARGET void RunCascadePipelined(tessel::TBiquadCascade& c,
                                                const tessel::TStereoBlock<T>& block) noexcept {
    if (block.gain == 1.0) {
        RunActiveSlots<TLanes, false>(c, block);
    } else {
        RunActiveSlots<TLanes, true>(c, block);
    }
}

#undef TESSEL_PIPELINE_INLINE
