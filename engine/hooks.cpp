#include "engine/hooks.h"

namespace {
void IgnoreText(int, const char*) {}
void IgnoreNumber(int, uint32_t) {}
void NoPump() {}
int AnswerWithOk(const char*, const char*, unsigned) { return AnswerOk; }
}  // namespace

EngineHooks engineHooks = {IgnoreText, IgnoreNumber, NoPump, AnswerWithOk};

void ResetEngineHooks() { engineHooks = {IgnoreText, IgnoreNumber, NoPump, AnswerWithOk}; }
