#include <flitengine/outside/OvriChars.h>

const char COvriChars::kNullByte = '\0';
const char COvriChars::kSpaceChar = ' ';
const char COvriChars::kNewlineChar = '\n';
