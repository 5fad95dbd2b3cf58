#include "engine/hooks.h"

namespace {
void IgnoreText(int, const char*) {}
void IgnoreNumber(int, uint32_t) {}
void NoPump() {}
int AnswerWithOk(const char*, const char*, unsigned) { return AnswerOk; }
void IgnoreShare(int, int) {}
}  // namespace

EngineHooks engineHooks = {IgnoreText, IgnoreNumber, NoPump, AnswerWithOk, IgnoreShare};

void ResetEngineHooks() { engineHooks = {IgnoreText, IgnoreNumber, NoPump, AnswerWithOk, IgnoreShare}; }
