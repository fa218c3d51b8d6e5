// SPDX-License-Identifier: MIT
// The numeric functions. Angles are in degrees, as the servers' BASIC takes them.
#include <cmath>
#include <cstdint>
#include <numbers>

#include "platform/mv/values/eval/Functions.h"

namespace mv::values {
namespace {

constexpr long double kRadiansPerDegree = std::numbers::pi_v<long double> / 180;

// A function of one binary number; no finite result gives 0 with a warning.
template <long double (*F)(long double)>
Value Approximate(FunctionCall& call) {
    const long double x = call.Number(0).ToLongDouble();
    return NumberOrZero(BasicNumber::FromBinary(F(x)), call.costs(), false);
}

long double SinDegrees(long double x) {
    return std::sin(x * kRadiansPerDegree);
}
long double CosDegrees(long double x) {
    return std::cos(x * kRadiansPerDegree);
}
long double TanDegrees(long double x) {
    return std::tan(x * kRadiansPerDegree);
}
long double AsinDegrees(long double x) {
    return std::asin(x) / kRadiansPerDegree;
}
long double AcosDegrees(long double x) {
    return std::acos(x) / kRadiansPerDegree;
}
long double AtanDegrees(long double x) {
    return std::atan(x) / kRadiansPerDegree;
}
long double Sinh(long double x) {
    return std::sinh(x);
}
long double Cosh(long double x) {
    return std::cosh(x);
}
long double Tanh(long double x) {
    return std::tanh(x);
}
long double Exp(long double x) {
    return std::exp(x);
}
// A logarithm or root of what has none is no number: the warning says so.
long double Ln(long double x) {
    return x > 0 ? std::log(x) : NAN;
}
long double Sqrt(long double x) {
    return x >= 0 ? std::sqrt(x) : NAN;
}

Value Abs(FunctionCall& call) {
    const BasicNumber n = call.Number(0);
    return Value::Number(n.IsNegative() ? n.Negated() : n);
}

Value Int(FunctionCall& call) {
    return Value::Number(call.Number(0).Truncated());
}

Value Neg(FunctionCall& call) {
    return Value::Number(call.Number(0).Negated());
}

Value Real(FunctionCall& call) {
    return Value::Number(call.Number(0));
}

Value Pwr(FunctionCall& call) {
    return Arithmetic('^', call.args[0], call.args[1], call.costs());
}

Value Div(FunctionCall& call) {
    return Arithmetic('/', call.args[0], call.args[1], call.costs());
}

// MOD and REM alike: x - INT(x / y) * y, with the sign of x.
Value Mod(FunctionCall& call) {
    const BasicNumber y = call.Number(1);
    return NumberOrZero(Remainder(call.Number(0), y), call.costs(), y.IsZero());
}

// FIX(number, decimals, mode): rounded (mode 0) or cut (other modes) to the decimals
// given, 4 when none.
Value Fix(FunctionCall& call) {
    long decimals = call.IntegerOr(1, BasicNumber::kTextScale);
    decimals =
        decimals < 0 ? 0 : (decimals > BasicNumber::kMaxScale ? BasicNumber::kMaxScale : decimals);
    const bool truncate = call.IntegerOr(2, 0) != 0;
    return Value::Number(call.Number(0).Rounded(static_cast<int>(decimals), truncate));
}

Value Num(FunctionCall& call) {
    return Value::Boolean(IsNumeric(call.args[0]));
}

Value Not(FunctionCall& call) {
    return Value::Boolean(!TruthOf(call.args[0], call.costs()));
}

// The bit functions work on 32-bit integers, as the servers keep them.
std::uint32_t Bits(FunctionCall& call, std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned long>(call.Integer(i)));
}

Value BitsValue(std::uint32_t bits) {
    return Value::Integer(static_cast<std::int32_t>(bits));
}

Value BitAnd(FunctionCall& call) {
    return BitsValue(Bits(call, 0) & Bits(call, 1));
}

Value BitOr(FunctionCall& call) {
    return BitsValue(Bits(call, 0) | Bits(call, 1));
}

Value BitXor(FunctionCall& call) {
    return BitsValue(Bits(call, 0) ^ Bits(call, 1));
}

// BITNOT(x): every bit negated; BITNOT(x, n): bit n (from 0) only.
Value BitNot(FunctionCall& call) {
    const std::uint32_t x = Bits(call, 0);
    if (call.Count() == 1) {
        return BitsValue(~x);
    }
    const long bit = call.Integer(1);
    if (bit < 0 || bit > 31) {
        return BitsValue(x);
    }
    return BitsValue(x ^ (std::uint32_t{1} << bit));
}

}  // namespace

void AddNumericFunctions(FunctionTable& table) {
    table["ABS"] = Abs;
    table["ACOS"] = Approximate<AcosDegrees>;
    table["ASIN"] = Approximate<AsinDegrees>;
    table["ATAN"] = Approximate<AtanDegrees>;
    table["BITAND"] = BitAnd;
    table["BITNOT"] = BitNot;
    table["BITOR"] = BitOr;
    table["BITXOR"] = BitXor;
    table["COS"] = Approximate<CosDegrees>;
    table["COSH"] = Approximate<Cosh>;
    table["DIV"] = Div;
    table["EXP"] = Approximate<Exp>;
    table["FIX"] = Fix;
    table["INT"] = Int;
    table["LN"] = Approximate<Ln>;
    table["MOD"] = Mod;
    table["NEG"] = Neg;
    table["NOT"] = Not;
    table["NUM"] = Num;
    table["PWR"] = Pwr;
    table["REAL"] = Real;
    table["REM"] = Mod;
    table["SIN"] = Approximate<SinDegrees>;
    table["SINH"] = Approximate<Sinh>;
    table["SQRT"] = Approximate<Sqrt>;
    table["TAN"] = Approximate<TanDegrees>;
    table["TANH"] = Approximate<Tanh>;
}

}  // namespace mv::values
