// The picture's failure kinds: one class each, derived from Failure, carrying
// the fixed message of its kind. Loading stops at the first one.
#pragma once

#include "core/failure.h"

#include <string>

enum class PngFailureKind {
    InvalidFileHeader, UnexpectedEnd, IHDRNotFirst, InvalidIHDR, SizeExceeds, UnknownCompression, UnknownInterlace,
    InvalidPalette, MissingMultipleIDAT, ZLIBError, NoImageData, Error, HeaderNotPresent, OutMemory,
};

// The fixed message of a kind; for ZLIBError without the zlib description.
const char* PngFailureMessage(PngFailureKind kind);
// The class name of a kind ("EPngInvalidIHDR"), as the tools print it.
const char* PngFailureClassName(PngFailureKind kind);

class EPngFailure : public Failure {
public:
    PngFailureKind Kind() const { return kind_; }
    const char* ClassName() const { return PngFailureClassName(kind_); }

protected:
    EPngFailure(PngFailureKind kind, std::string message) : Failure(std::move(message)), kind_(kind) {}
    explicit EPngFailure(PngFailureKind kind) : EPngFailure(kind, PngFailureMessage(kind)) {}

private:
    PngFailureKind kind_;
};

#define QUORVANE_PNG_FAILURE(Name)                                                 \
    class EPng##Name : public EPngFailure {                                        \
    public:                                                                        \
        EPng##Name() : EPngFailure(PngFailureKind::Name) {}                        \
    };
QUORVANE_PNG_FAILURE(InvalidFileHeader)
QUORVANE_PNG_FAILURE(UnexpectedEnd)
QUORVANE_PNG_FAILURE(IHDRNotFirst)
QUORVANE_PNG_FAILURE(InvalidIHDR)
QUORVANE_PNG_FAILURE(SizeExceeds)
QUORVANE_PNG_FAILURE(UnknownCompression)
QUORVANE_PNG_FAILURE(UnknownInterlace)
QUORVANE_PNG_FAILURE(InvalidPalette)
QUORVANE_PNG_FAILURE(MissingMultipleIDAT)
QUORVANE_PNG_FAILURE(NoImageData)
QUORVANE_PNG_FAILURE(Error)
QUORVANE_PNG_FAILURE(HeaderNotPresent)
QUORVANE_PNG_FAILURE(OutMemory)
#undef QUORVANE_PNG_FAILURE

// The message ends with zlib's result described: "data error (-3)".
class EPngZLIBError : public EPngFailure {
public:
    explicit EPngZLIBError(int zlibResult);
};
