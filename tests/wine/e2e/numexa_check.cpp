// Loads the calculator library Numexa35.dll by name, as the editor binds it,
// finds Evalnum by its undecorated name and checks values and result codes.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "numexa.h"

namespace {

int passed = 0, failed = 0;

using EvalFn = int32_t(NUMEXA_CALL*)(NumexaRequest*);
EvalFn evalnum = nullptr;

void check(bool ok, const std::string& what) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAILED: %s\n", what.c_str());
    }
}

// Runs one request the way the editor fills it: reserved words left alone,
// the five zeroed words zero, a sentinel in the result.
int32_t run(const char* text, double& result) {
    NumexaRequest request;
    request.text = text;
    request.reserved[0] = request.reserved[1] = 0x5A5A5A5A;
    for (int32_t& word : request.zeroed) word = 0;
    request.result = -12345.0;
    int32_t code = evalnum(&request);
    result = request.result;
    return code;
}

void value(const char* text, double expected) {
    double result = 0;
    int32_t code = run(text, result);
    char what[200];
    std::snprintf(what, sizeof what, "\"%s\" gives %g (code %d, value %.17g)", text, expected,
                  static_cast<int>(code), result);
    check(code == 0 && std::fabs(result - expected) <= 1e-12 * (1 + std::fabs(expected)), what);
}

void error(const char* text, int32_t expected) {
    double result = 0;
    int32_t code = run(text, result);
    char what[300];
    std::snprintf(what, sizeof what, "\"%.60s\" gives code %d (got %d)", text,
                  static_cast<int>(expected), static_cast<int>(code));
    check(code == expected, what);
    check(result == -12345.0, std::string("a failure leaves the result alone: ") + what);
}

}  // namespace

int main() {
    HMODULE lib = LoadLibraryA("Numexa35.dll");
    if (!lib) {
        std::printf("FAILED: LoadLibraryA(Numexa35.dll)\n0 passed, 1 failed\n");
        return 1;
    }
    evalnum = reinterpret_cast<EvalFn>(reinterpret_cast<void*>(GetProcAddress(lib, "Evalnum")));
    if (!evalnum) {
        std::printf("FAILED: GetProcAddress(Evalnum)\n0 passed, 1 failed\n");
        return 1;
    }

    // Precedence, associativity and signs.
    value("1+2*3", 7);
    value("(1+2)*3", 9);
    value("2*3", 6);
    value("10/4", 2.5);
    value("7-2-1", 4);
    value("8/2/2", 2);
    value("2^3^2", 512);
    value("-2^2", -4);
    value("(-2)^2", 4);
    value("2^-1", 0.5);
    value("2*-3", -6);
    value("--3", 3);
    value("+7", 7);
    value("-(4-6)*2", 4);
    // Numbers.
    value("12", 12);
    value(" 12 ", 12);
    value("\t1 +\r\n 1", 2);
    value(
        "\x81\x40"
        "3",
        3);  // the full-width space of Shift-JIS
    value("0.25", 0.25);
    value(".5", 0.5);
    value("5.", 5);
    value("1.5e2", 150);
    value("1E-2", 0.01);
    value("2.5e+1", 25);
    // Names, in any letter case.
    value("sqrt(16)", 4);
    value("abs(-3)", 3);
    value("int(-2.7)", -2);
    value("int(2.7)", 2);
    value("round(2.5)", 3);
    value("SIN(0)", 0);
    value("cos(0)", 1);
    value("tan(0)", 0);
    value("exp(0)", 1);
    value("ln(e)", 1);
    value("log10(1000)", 3);
    value("Pi", 3.14159265358979323846);
    value("sqrt (2*8) + abs(2-5)", 7);
    value("((((1))))", 1);

    // Result codes.
    error("", NUMEXA_SYNTAX);
    error("   ", NUMEXA_SYNTAX);
    error("1+", NUMEXA_SYNTAX);
    error("2 3", NUMEXA_SYNTAX);
    error("2(3)", NUMEXA_SYNTAX);
    error("*2", NUMEXA_SYNTAX);
    error("3a", NUMEXA_SYNTAX);
    error("1,5", NUMEXA_SYNTAX);
    error(".", NUMEXA_SYNTAX);
    error("1/0", NUMEXA_DIVZERO);
    error("1/(2-2)", NUMEXA_DIVZERO);
    error("0^-1", NUMEXA_DIVZERO);
    error("(1+2", NUMEXA_BRACKETS);
    error("1+2)", NUMEXA_BRACKETS);
    error(")", NUMEXA_BRACKETS);
    error("sqrt(4", NUMEXA_BRACKETS);
    error("1e", NUMEXA_EXPONENT);
    error("1e+", NUMEXA_EXPONENT);
    error("2E-x", NUMEXA_EXPONENT);
    error("sqrt(-1)", NUMEXA_BADARG);
    error("log(0)", NUMEXA_BADARG);
    error("(-8)^0.5", NUMEXA_BADARG);
    error("foo(1)", NUMEXA_BADCALL);
    error("sqrt 4", NUMEXA_BADCALL);
    error("sin", NUMEXA_BADCALL);
    error("averyveryverylongname(1)", NUMEXA_BADCALL);
    error("1e999", NUMEXA_OVERFLOW);
    error("10^400", NUMEXA_OVERFLOW);
    error("1e300*1e300", NUMEXA_OVERFLOW);
    error("exp(1000)", NUMEXA_OVERFLOW);
    error("123456789012345678901234567890123", NUMEXA_TOOLONG);
    {
        std::string deep(100, '(');
        deep += "1";
        deep += std::string(100, ')');
        error(deep.c_str(), NUMEXA_NOMEMORY);
        std::string signs(200, '-');
        signs += "1";
        error(signs.c_str(), NUMEXA_NOMEMORY);
        std::string many = "1";
        for (int i = 0; i < 64; ++i) many += "+1";
        error(many.c_str(), NUMEXA_TOOMANY);
        std::string enough = "1";
        for (int i = 0; i < 63; ++i) enough += "+1";
        value(enough.c_str(), 64);
    }
    // A request without a text, and no request at all.
    {
        NumexaRequest request{};
        request.result = 5.0;
        check(evalnum(&request) == NUMEXA_BADREQUEST, "a null text gives code -4");
        check(request.result == 5.0, "a null text leaves the result alone");
        check(evalnum(nullptr) == NUMEXA_BADREQUEST, "a null request gives code -4");
    }

    FreeLibrary(lib);
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
