// The float and integer stack-program patterns.
#include "Patterns/PatternProgram.h"

#include "shell/Random.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <numbers>
#include <utility>

namespace {
constexpr float kHalf = 0.5f;
constexpr float kProbe = 0.5f;                  // the point a new program is run on once
constexpr std::array<float, 5> kSamples = {-1.0f, -0.5f, 0.0f, 0.5f, 1.0f};
constexpr int kMaxFailedAttempts = 30;          // then the program is taken as it is

// PatternFloat draws.
constexpr int kFloatFreqRange = 6;
constexpr int kFloatOneInputLen = 7;
constexpr int kFloatOneInputBias = 2;
constexpr int kFloatTwoInputLen = 7;
constexpr int kFloatTwoInputMin = 3;
constexpr int kFloatCombinerRange = 5;          // opcodes 2 .. 6
constexpr int kFloatCombinerFirst = 2;
constexpr float kFloatDistanceDiv = 4.0f;
const float kFloatRadius = std::sqrt(8.0f);

// PatternInt draws.
constexpr int kIntLenRange = 19;
constexpr int kIntLenMin = 3;
constexpr int kIntCombinerRange = 8;            // opcodes 2 .. 9
constexpr int kIntCombinerFirst = 2;
constexpr int kIntRequiredDistinct = 4;
constexpr int64_t kIntSmall = 99;               // opcode 9 takes the hypotenuse below this
constexpr int64_t kIntQuarter = 4;

// Wrapping 32-bit arithmetic (the defined form of the program's integer overflow).
int32_t Wrap(int64_t v) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(v))); }
int32_t WrapAdd(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b)); }
int32_t WrapSub(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b)); }
int32_t WrapMul(int32_t a, int32_t b) { return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b)); }
int64_t Abs64(int32_t v) { return v < 0 ? -static_cast<int64_t>(v) : v; }

// Truncation toward zero into 32 bits; inputs far outside the unit square (or NaN) are held
// to the representable range instead of being undefined.
int32_t ToInt32(float v)
{
    if (!(v == v)) return 0;
    if (v >= 2147483647.0f) return INT32_MAX;
    if (v <= -2147483648.0f) return INT32_MIN;
    return static_cast<int32_t>(v);
}

template <typename T>
int CountDistinct(std::vector<T>& values)
{
    std::sort(values.begin(), values.end());
    return static_cast<int>(std::unique(values.begin(), values.end()) - values.begin());
}

// The programs of both calculators: opcodes in a fixed array, `used` of them in use.

// A two-input program starts with both input loads, in a random order.
template <size_t N>
void StartWithBothInputs(seRandom& r, std::array<int, N>& program, int& used)
{
    if (r.rand(2) != 0) {
        program[used++] = 0;
        program[used++] = 1;
    } else {
        program[used++] = 1;
        program[used++] = 0;
    }
}

// Random opcodes fill the program up to `length` instructions.
template <size_t N>
void FillWithOpcodes(seRandom& r, std::array<int, N>& program, int& used, int length, int opcodes)
{
    while (used < length) program[used++] = r.rand(opcodes);
}

// Combiners (`range` opcodes from `first` on) are appended until the `values` left on the
// stack would be one, or the program is full.
template <size_t N>
void AppendCombinerOps(seRandom& r, std::array<int, N>& program, int& used, int values, int range, int first)
{
    while (values > 1 && used < static_cast<int>(N)) {
        program[used++] = r.rand(range) + first;
        --values;
    }
}

// A program given from outside, cut to the capacity.
template <size_t N>
void CopyProgram(const std::vector<int>& from, std::array<int, N>& program, int& used)
{
    used = 0;
    for (int op : from) {
        if (used >= static_cast<int>(N)) break;
        program[used++] = op;
    }
}
} // namespace

// ---------------------------------------------------------------------------------------
// PatternFloat

PatternFloat::PatternFloat(const PatternEnv& env) : PatternCalculator(env)
{
    m_cx = static_cast<float>(2.0 * Rand().uniform() - 1.0);
    m_cy = static_cast<float>(2.0 * Rand().uniform() - 1.0);
    m_cr = kFloatRadius;
}

float PatternFloat::Run(float x, float y)
{
    auto& st = m_stack;
    st.clear();
    const float cx = std::clamp(x, -1.0f, 1.0f);
    const float cy = std::clamp(y, -1.0f, 1.0f);
    for (int i = 0; i < m_iLength; ++i) {
        const bool two = st.size() >= 2;
        const bool any = !st.empty();
        switch (m_program[i]) {
        case 0: st.push(cx); break;
        case 1: st.push(cy); break;
        case 2:
            if (two) { const float a = st.pop(); st.top() = (a + st.top()) / 2.0f; }
            break;
        case 3:
            if (two) { const float a = st.pop(); st.top() = a * st.top(); }
            else if (any) st.top() = st.top() * st.top();
            break;
        case 4:
            if (two) {
                const float a = st.pop();
                const float b = st.top();
                if (std::fabs(b) > std::fabs(a)) {
                    if (b != 0.0f) st.top() = a / b;
                } else if (a != 0.0f) {
                    st.top() = b / a;
                }
            }
            break;
        case 5:
            if (two) { const float a = st.pop(); st.top() = (a - st.top()) / 2.0f; }
            else if (any) st.top() = -st.top();
            break;
        case 6:
            if (two) {
                const float a = st.pop();
                const float dx = a - m_cx;
                const float dy = st.top() - m_cy;
                st.top() = std::sqrt(dx * dx + dy * dy) / m_cr;
            }
            break;
        case 7: st.push(m_constants[i]); break;
        case 8:
            if (two) std::swap(st.top(), st.second());
            break;
        case 9: if (any) st.top() = std::sqrt(std::fabs(st.top())); break;
        case 10: if (any) st.top() = st.top() * st.top(); break;
        case 11: if (any) st.top() = std::sin(m_frequencies[i] * st.top()); break;
        case 12: if (any) st.top() = std::cos(m_frequencies[i] * st.top()); break;
        case 13:
            if (two) { const float a = st.pop(); st.top() = std::max(a, st.top()); }
            break;
        case 14:
            if (two) { const float a = st.pop(); st.top() = std::min(a, st.top()); }
            break;
        case 15:
            if (two) {
                const float a = st.pop();
                st.top() = (std::fabs(a - m_cx) + std::fabs(st.top() - m_cy)) / kFloatDistanceDiv;
            }
            break;
        default: break;
        }
    }
    return st.empty() ? 0.0f : st.top();
}

void PatternFloat::Compute(std::span<const float> in, std::span<float> out)
{
    const float x = Input(in, 0);
    const float y = in.size() >= 2 ? in[1] : x;
    Output(out, Run(x, y) * kHalf + kHalf);
}

void PatternFloat::AppendCombiners()
{
    Run(kProbe, kProbe);
    AppendCombinerOps(Rand(), m_program, m_iLength, m_stack.size(), kFloatCombinerRange, kFloatCombinerFirst);
}

void PatternFloat::Setup(int nIn, int, bool, int)
{
    if (m_bSetUp) return;
    seRandom& r = Rand();
    const bool twoInputs = nIn >= 2;
    while (!m_bSetUp) {
        for (float& c : m_constants) c = static_cast<float>(2.0 * r.uniform() - 1.0);
        for (float& f : m_frequencies) f = static_cast<float>(r.rand(kFloatFreqRange) + 1);

        m_iLength = 0;
        int length;
        if (!twoInputs) {
            length = r.biased(kFloatOneInputLen, kFloatOneInputBias) + 1;
            m_program[m_iLength++] = 0;
        } else {
            length = r.rand(kFloatTwoInputLen) + kFloatTwoInputMin;
            StartWithBothInputs(r, m_program, m_iLength);
        }
        FillWithOpcodes(r, m_program, m_iLength, length, kOpcodes);

        AppendCombiners();

        std::vector<float> samples;
        samples.reserve(kSamples.size() * kSamples.size());
        if (!twoInputs) {
            for (float x : kSamples) samples.push_back(Run(x, x));
        } else {
            for (float x : kSamples)
                for (float y : kSamples) samples.push_back(Run(x, y));
        }
        const int distinct = CountDistinct(samples);
        const int required = 2 * nIn;
        if (m_iAttempts > kMaxFailedAttempts || distinct > required) m_bSetUp = true;
        ++m_iAttempts;
        if (!SceneIdle()) return;
    }
}

void PatternFloat::SetProgram(const std::vector<int>& program, const std::array<float, kCapacity>& constants,
                              const std::array<float, kCapacity>& frequencies)
{
    CopyProgram(program, m_program, m_iLength);
    m_constants = constants;
    m_frequencies = frequencies;
    m_bSetUp = true;
}

// ---------------------------------------------------------------------------------------
// PatternInt

PatternInt::PatternInt(const PatternEnv& env) : PatternCalculator(env), m_N(std::max({env.width, env.height, 1})) {}

int32_t PatternInt::Run(int32_t X, int32_t Y)
{
    auto& st = m_stack;
    st.clear();
    for (int i = 0; i < m_iLength; ++i) {
        const bool two = st.size() >= 2;
        const bool any = !st.empty();
        switch (m_program[i]) {
        case 0: st.push(X); break;
        case 1: st.push(Y); break;
        case 2:
            if (two) { const int32_t a = st.pop(); st.top() = WrapAdd(a, st.top()); }
            else if (any) st.top() = WrapAdd(st.top(), st.top());
            break;
        case 3:
            if (two) { const int32_t a = st.pop(); st.top() = WrapMul(a, st.top()); }
            else if (any) st.top() = WrapMul(st.top(), st.top());
            break;
        case 4:
            if (two) {
                const int32_t a = st.pop();
                st.top() = a == 0 ? 0 : Wrap(static_cast<int64_t>(st.top()) / a);
            }
            break;
        case 5:
            if (two) { const int32_t a = st.pop(); st.top() = WrapSub(a, st.top()); }
            else if (any) st.top() = WrapSub(0, st.top());
            break;
        case 6:
            if (two) { const int32_t a = st.pop(); st.top() = a ^ st.top(); }
            break;
        case 7:
            if (two && Abs64(st.top()) >= 2) {
                const int64_t m = Abs64(st.top());
                st.pop();
                st.top() = Wrap(static_cast<int64_t>(st.top()) % m);
            }
            break;
        case 8:
            if (two) { const int32_t a = st.pop(); st.top() = a & st.top(); }
            break;
        case 9:
            if (two) {
                const int32_t a = st.pop();
                const int32_t t = st.top();
                if (Abs64(a) > kIntSmall || Abs64(t) > kIntSmall)
                    st.top() = Wrap((static_cast<int64_t>(a) + t) / kIntQuarter);
                else
                    st.top() = static_cast<int32_t>(std::sqrt(static_cast<double>(a) * a + static_cast<double>(t) * t));
            }
            break;
        case 10:
            if (two) { const int32_t a = st.pop(); st.top() = a | st.top(); }
            break;
        case 11: st.push(m_constants[i]); break;
        case 12:
            if (any) st.push(Rand().rand(static_cast<int>(std::min<int64_t>(Abs64(st.top()), INT_MAX))));
            break;
        case 13:
            if (two) std::swap(st.top(), st.second());
            break;
        case 14:
            if (any) st.top() = static_cast<int32_t>(std::sqrt(static_cast<double>(Abs64(st.top()))));
            break;
        case 15:
            if (any && st.top() != 0) st.top() = static_cast<int32_t>(std::log(static_cast<double>(Abs64(st.top()))));
            break;
        case 16: if (any) st.top() = WrapMul(st.top(), st.top()); break;
        default: break;
        }
    }
    return st.empty() ? 0 : st.top();
}

void PatternInt::Compute(std::span<const float> in, std::span<float> out)
{
    const float n = static_cast<float>(m_N);
    const int32_t X = ToInt32((Input(in, 0) * kHalf + kHalf) * n);
    const int32_t Y = ToInt32((Input(in, 1) * kHalf + kHalf) * n);
    const int32_t top = Run(X, Y);
    const float v = m_stack.empty() ? 0.0f : static_cast<float>(Abs64(top) % m_N) / n;
    Output(out, v);
}

void PatternInt::AppendCombiners()
{
    const float n = static_cast<float>(m_N);
    const auto P = static_cast<int32_t>((kProbe * kHalf + kHalf) * n);
    Run(P, P);
    AppendCombinerOps(Rand(), m_program, m_iLength, m_stack.size(), kIntCombinerRange, kIntCombinerFirst);
}

void PatternInt::Setup(int, int, bool, int)
{
    if (m_bSetUp) return;
    seRandom& r = Rand();
    float out[1];
    while (!m_bSetUp) {
        for (int32_t& c : m_constants) c = r.rand(m_N);
        m_iLength = 0;
        const int length = r.rand(kIntLenRange) + kIntLenMin;
        StartWithBothInputs(r, m_program, m_iLength);
        FillWithOpcodes(r, m_program, m_iLength, length, kOpcodes);

        AppendCombiners();

        std::vector<float> samples;
        samples.reserve(kSamples.size() * kSamples.size());
        for (float x : kSamples) {
            for (float y : kSamples) {
                const float in[2] = {x, y};
                Compute(in, out);
                samples.push_back(out[0]);
            }
        }
        const int distinct = CountDistinct(samples);
        if (m_iAttempts > kMaxFailedAttempts || distinct > kIntRequiredDistinct) m_bSetUp = true;
        ++m_iAttempts;
        if (!SceneIdle()) return;
    }
}

void PatternInt::SetProgram(const std::vector<int>& program, const std::array<int32_t, kCapacity>& constants)
{
    CopyProgram(program, m_program, m_iLength);
    m_constants = constants;
    m_bSetUp = true;
}
