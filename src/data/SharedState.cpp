#include "data/SharedState.h"

#include <QDir>

SharedState::SharedState(const RunEnvironment& env)
    : environment(env),
      prompts(env.prompts),
      registry(RegistryStore::load(QDir(env.serverRoot).filePath(QStringLiteral("registry.reg")))),
      connections(env.serverRoot, env.databaseSetup),
      workStation(env.identity),
      changeLog(env.programFolder, fileSystem, env.clock, workStation, env.programVersion, env.prompts),
      cache(connections)
{
}
