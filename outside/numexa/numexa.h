/*
 * Numexa35 — the calculator library that the editor binds at run time when it
 * is present: one call, Evalnum, evaluates an arithmetic expression.
 *
 * The request is the record the 32-bit library has always taken: 40 bytes,
 * the expression pointer at offset 0, two reserved words, five words the
 * caller sets to zero, and the result double at offset 32. On 64-bit Windows
 * the pointer is 8 bytes wide and the record grows accordingly; caller and
 * library share this header, so they agree.
 */
#ifndef NUMEXA_H
#define NUMEXA_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && defined(NUMEXA_BUILDING)
#define NUMEXA_API __declspec(dllexport)
#else
#define NUMEXA_API
#endif
#if defined(_WIN32) && defined(__i386__)
#define NUMEXA_CALL __cdecl
#else
#define NUMEXA_CALL
#endif

typedef struct NumexaRequest {
    const char* text;    /* the expression, NUL-terminated, Shift-JIS */
    int32_t reserved[2]; /* neither set nor read by the editor; unused here */
    int32_t zeroed[5];   /* set to 0 by the caller before every call; unused here */
    double result;       /* the value, valid only when Evalnum returns 0 */
} NumexaRequest;

/* Result codes of Evalnum. */
enum {
    NUMEXA_OK = 0,
    NUMEXA_SYNTAX = -1,     /* error in the expression */
    NUMEXA_DIVZERO = -2,    /* division by zero */
    NUMEXA_BRACKETS = -3,   /* unbalanced brackets */
    NUMEXA_BADREQUEST = -4, /* the request or its text pointer is null */
    NUMEXA_NOMEMORY = -5,   /* brackets or signs nested too deeply to evaluate */
    NUMEXA_TOOMANY = -6,    /* more numbers than the evaluator takes */
    NUMEXA_EXPONENT = -7,   /* a number's exponent has no digits */
    NUMEXA_BADARG = -8,     /* a function's argument outside its domain */
    NUMEXA_BADCALL = -9,    /* an unknown name, or a function without its bracket */
    NUMEXA_OVERFLOW = -10,  /* a value that is not a finite double */
    NUMEXA_TOOLONG = -11    /* a number written with too many characters */
};

/* Evaluates request->text. Returns 0 and stores the value in request->result,
 * or returns one of the negative codes above and leaves result untouched. */
NUMEXA_API int32_t NUMEXA_CALL Evalnum(NumexaRequest* request);

/* The evaluator itself, usable without the library's entry point. */
int32_t numexa_eval(const char* text, double* value);

#ifdef __cplusplus
}
#endif

#if defined(_WIN32) && defined(__i386__)
#ifdef __cplusplus
static_assert(sizeof(NumexaRequest) == 40, "the request is 40 bytes on 32-bit Windows");
static_assert(__builtin_offsetof(NumexaRequest, result) == 32, "the result is at offset 32");
#endif
#endif

#endif /* NUMEXA_H */
