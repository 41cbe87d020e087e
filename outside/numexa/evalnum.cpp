// The calculator: a recursive-descent evaluator of arithmetic expressions in
// double precision.
//
//   expression := term { ("+" | "-") term }
//   term       := signed { ("*" | "/") signed }
//   signed     := ("+" | "-") signed | power
//   power      := primary [ "^" signed ]          (right-associative: 2^3^2 = 2^9)
//   primary    := number | "(" expression ")" | name | name "(" expression ")"
//   number     := digits ["." digits] [("e" | "E") ["+" | "-"] digits], or "." digits
//
// Names, in any letter case: the constants pi and e, and the functions abs,
// int (toward zero), round, sqrt, exp, log and ln (natural), log10, sin, cos
// and tan (radians). Blanks (space, tab, line breaks, the full-width space of
// Shift-JIS) may stand between the pieces. "-2^2" is -4: the power binds more
// tightly than a sign.
#include "numexa.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kMaxNumbers = 64;      // numbers in one expression
constexpr int kMaxDepth = 64;        // nested brackets and signs
constexpr int kMaxNumberChars = 32;  // characters of one written number

class Evaluator {
  public:
    explicit Evaluator(const char* text) : p_(text) {}

    int32_t run(double* value) {
        skipblanks();
        if (*p_ == '\0') return NUMEXA_SYNTAX;
        double v = expression();
        if (error_) return error_;
        skipblanks();
        if (*p_ == ')') return NUMEXA_BRACKETS;
        if (*p_ != '\0') return NUMEXA_SYNTAX;
        *value = v;
        return NUMEXA_OK;
    }

  private:
    const char* p_;
    int32_t error_ = 0;
    int numbers_ = 0;
    int depth_ = 0;

    // Records the first error only; every caller returns at once after it.
    double fail(int32_t code) {
        if (!error_) error_ = code;
        return 0.0;
    }

    double checked(double v) { return std::isfinite(v) ? v : fail(NUMEXA_OVERFLOW); }

    void skipblanks() {
        for (;;) {
            unsigned char c = static_cast<unsigned char>(*p_);
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++p_;
            } else if (c == 0x81 && static_cast<unsigned char>(p_[1]) == 0x40) {
                p_ += 2;
            } else {
                return;
            }
        }
    }

    bool enter() {
        if (++depth_ > kMaxDepth) {
            fail(NUMEXA_NOMEMORY);
            return false;
        }
        return true;
    }

    double expression() {
        if (!enter()) return 0.0;
        double v = term();
        while (!error_) {
            skipblanks();
            char op = *p_;
            if (op != '+' && op != '-') break;
            ++p_;
            double r = term();
            if (error_) break;
            v = checked(op == '+' ? v + r : v - r);
        }
        --depth_;
        return v;
    }

    double term() {
        double v = signedvalue();
        while (!error_) {
            skipblanks();
            char op = *p_;
            if (op != '*' && op != '/') break;
            ++p_;
            double r = signedvalue();
            if (error_) break;
            if (op == '/' && r == 0.0) return fail(NUMEXA_DIVZERO);
            v = checked(op == '*' ? v * r : v / r);
        }
        return v;
    }

    double signedvalue() {
        skipblanks();
        if (*p_ == '-' || *p_ == '+') {
            bool minus = *p_ == '-';
            ++p_;
            if (!enter()) return 0.0;
            double v = signedvalue();
            --depth_;
            return minus ? -v : v;
        }
        return power();
    }

    double power() {
        double base = primary();
        if (error_) return 0.0;
        skipblanks();
        if (*p_ != '^') return base;
        ++p_;
        if (!enter()) return 0.0;
        double exponent = signedvalue();
        --depth_;
        if (error_) return 0.0;
        if (base == 0.0 && exponent < 0.0) return fail(NUMEXA_DIVZERO);
        double v = std::pow(base, exponent);
        if (std::isnan(v)) return fail(NUMEXA_BADARG);
        return checked(v);
    }

    double primary() {
        skipblanks();
        char c = *p_;
        if (c == '(') {
            ++p_;
            double v = expression();
            if (error_) return 0.0;
            skipblanks();
            if (*p_ == ')') {
                ++p_;
                return v;
            }
            return fail(*p_ == '\0' ? NUMEXA_BRACKETS : NUMEXA_SYNTAX);
        }
        if (c == ')') return fail(NUMEXA_BRACKETS);
        if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') return number();
        if (std::isalpha(static_cast<unsigned char>(c))) return name();
        return fail(NUMEXA_SYNTAX);
    }

    double number() {
        const char* start = p_;
        int digits = 0;
        while (std::isdigit(static_cast<unsigned char>(*p_))) ++p_, ++digits;
        if (*p_ == '.') {
            ++p_;
            while (std::isdigit(static_cast<unsigned char>(*p_))) ++p_, ++digits;
        }
        if (digits == 0) return fail(NUMEXA_SYNTAX);
        if (*p_ == 'e' || *p_ == 'E') {
            ++p_;
            if (*p_ == '+' || *p_ == '-') ++p_;
            if (!std::isdigit(static_cast<unsigned char>(*p_))) return fail(NUMEXA_EXPONENT);
            while (std::isdigit(static_cast<unsigned char>(*p_))) ++p_;
        }
        size_t length = static_cast<size_t>(p_ - start);
        if (length > kMaxNumberChars) return fail(NUMEXA_TOOLONG);
        if (++numbers_ > kMaxNumbers) return fail(NUMEXA_TOOMANY);
        char buffer[kMaxNumberChars + 1];
        std::memcpy(buffer, start, length);
        buffer[length] = '\0';
        return checked(std::strtod(buffer, nullptr));
    }

    double name() {
        char word[16];
        size_t length = 0;
        while (std::isalnum(static_cast<unsigned char>(*p_)) || *p_ == '_') {
            if (length + 1 < sizeof word) {
                word[length] = static_cast<char>(std::tolower(static_cast<unsigned char>(*p_)));
            }
            ++length;
            ++p_;
        }
        if (length + 1 > sizeof word) return fail(NUMEXA_BADCALL);
        word[length] = '\0';
        if (std::strcmp(word, "pi") == 0) return 3.14159265358979323846;
        if (std::strcmp(word, "e") == 0) return 2.71828182845904523536;

        static const char* const kFunctions[] = {"abs", "int",   "round", "sqrt", "exp", "log",
                                                 "ln",  "log10", "sin",   "cos",  "tan"};
        int which = -1;
        for (size_t i = 0; i < sizeof kFunctions / sizeof kFunctions[0]; ++i) {
            if (std::strcmp(word, kFunctions[i]) == 0) which = static_cast<int>(i);
        }
        if (which < 0) return fail(NUMEXA_BADCALL);
        skipblanks();
        if (*p_ != '(') return fail(NUMEXA_BADCALL);
        double x = primary();  // the bracketed argument
        if (error_) return 0.0;
        switch (which) {
            case 0:
                return std::fabs(x);
            case 1:
                return std::trunc(x);
            case 2:
                return std::round(x);
            case 3:
                return x < 0.0 ? fail(NUMEXA_BADARG) : std::sqrt(x);
            case 4:
                return checked(std::exp(x));
            case 5:
            case 6:
                return x <= 0.0 ? fail(NUMEXA_BADARG) : std::log(x);
            case 7:
                return x <= 0.0 ? fail(NUMEXA_BADARG) : std::log10(x);
            case 8:
                return std::sin(x);
            case 9:
                return std::cos(x);
            default:
                return checked(std::tan(x));
        }
    }
};

}  // namespace

extern "C" int32_t numexa_eval(const char* text, double* value) {
    if (!text || !value) return NUMEXA_BADREQUEST;
    return Evaluator(text).run(value);
}

extern "C" NUMEXA_API int32_t NUMEXA_CALL Evalnum(NumexaRequest* request) {
    if (!request) return NUMEXA_BADREQUEST;
    double value = 0.0;
    int32_t code = numexa_eval(request->text, &value);
    if (code == NUMEXA_OK) request->result = value;
    return code;
}
