// The transcript the stand-in prints: every line goes to the standard output and is kept, so that
// the run can compare it with an expected transcript at the end.
#include "standin/stand_in_host.h"

#include <stdio.h>
#include <string.h>

namespace standin {

namespace {
char transcript[96 * 1024];
size_t transcriptLength = 0;
int failures = 0;

void Append(const char* prefix, const char* format, va_list args) {
    char line[512];
    const int p = _snprintf(line, sizeof line, "%s", prefix);
    _vsnprintf(line + p, sizeof line - static_cast<size_t>(p) - 1, format, args);
    line[sizeof line - 1] = '\0';
    const size_t length = strlen(line);
    if (transcriptLength + length + 2 < sizeof transcript) {
        memcpy(transcript + transcriptLength, line, length);
        transcriptLength += length;
        transcript[transcriptLength++] = '\n';
        transcript[transcriptLength] = '\0';
    }
    printf("%s\n", line);
}
} // namespace

void Say(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Append("", format, args);
    va_end(args);
}

void Fail(const char* format, ...) {
    ++failures;
    va_list args;
    va_start(args, format);
    Append("FAIL: ", format, args);
    va_end(args);
}

int FailureCount() {
    return failures;
}

const char* TranscriptText() {
    return transcript;
}

namespace {

bool ReadExpected(const char* path, char* text, size_t size) {
    FILE* file = fopen(path, "rb");
    if (!file)
        return false;
    size_t n = fread(text, 1, size - 1, file);
    fclose(file);
    text[n] = '\0';
    // Tolerate a file checked out with Windows line ends.
    size_t out = 0;
    for (size_t i = 0; i < n; ++i)
        if (text[i] != '\r')
            text[out++] = text[i];
    text[out] = '\0';
    return n < size - 1;
}

} // namespace

int CompareWithExpected(const char* path) {
    static char expected[96 * 1024];
    if (!ReadExpected(path, expected, sizeof expected)) {
        printf("FAIL: cannot read the expected transcript %s\n", path);
        return 1;
    }
    const char* a = TranscriptText();
    const char* b = expected;
    int line = 1;
    while (*a && *b) {
        const char* aEnd = strchr(a, '\n');
        const char* bEnd = strchr(b, '\n');
        const size_t aLength = aEnd ? static_cast<size_t>(aEnd - a) : strlen(a);
        const size_t bLength = bEnd ? static_cast<size_t>(bEnd - b) : strlen(b);
        if (aLength != bLength || memcmp(a, b, aLength) != 0) {
            printf("FAIL: transcript line %d differs from %s\n  expected: %.*s\n  drawn:    %.*s\n",
                   line, path, static_cast<int>(bLength), b, static_cast<int>(aLength), a);
            return 1;
        }
        a += aLength + (aEnd ? 1 : 0);
        b += bLength + (bEnd ? 1 : 0);
        ++line;
    }
    if (*a || *b) {
        printf("FAIL: transcript line %d: %s ends early\n", line,
               *a ? "the expected text" : "the run");
        return 1;
    }
    printf("transcript matches %s (%d lines)\n", path, line - 1);
    return 0;
}

int FinishRun(const char* expectPath) {
    int result = FailureCount() > 0 ? 1 : 0;
    if (FailureCount() > 0)
        printf("%d checks failed\n", FailureCount());
    if (expectPath && CompareWithExpected(expectPath) != 0)
        result = 1;
    fflush(nullptr);
    return result;
}

} // namespace standin
