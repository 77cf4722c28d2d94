#include "install/engine/Engine.h"

#include "LocalEngine.h"

namespace install::engine {

Engine::~Engine() = default;

std::unique_ptr<Engine> createEngine() { return std::make_unique<LocalEngine>(); }

}  // namespace install::engine
