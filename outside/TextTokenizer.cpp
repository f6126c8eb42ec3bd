#include "outside/TextTokenizer.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

bool isLineBreak(char c) {
    return c == '\n' || c == '\r';
}

} // namespace

CTextTokenizer::CTextTokenizer(const char* textIn, std::size_t sizeIn)
    : text(textIn), size(sizeIn), position(0) {}

bool CTextTokenizer::next(SToken* token) {
    if (position >= size) {
        return false;
    }
    const std::size_t start = position;
    const char first = text[position];
    if (isLineBreak(first)) {
        ++position;
        if (first == '\r' && position < size && text[position] == '\n') {
            ++position;
        }
        *token = {eNewlineToken, start, position - start};
        return true;
    }
    const bool blank = isBlank(first);
    while (position < size && !isLineBreak(text[position]) && isBlank(text[position]) == blank) {
        ++position;
    }
    *token = {blank ? eSpaceToken : eWordToken, start, position - start};
    return true;
}
