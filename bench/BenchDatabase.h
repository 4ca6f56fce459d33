#pragma once

#include "db/ConnectionString.h"
#include "db/DatabaseSetup.h"
#include "db/SharedConnection.h"
#include "demo/LibraryGenerator.h"

// Creates a new embedded library at path, opens it as the shared connection and fills it
// with a generated library of the given size, loaded in bulk.
inline bool createGeneratedLibrary(const QString &path, const LibraryGenerator::Size &size,
                                   QString *error)
{
    if (!DatabaseSetup::createEmbedded(path, error))
        return false;
    if (!SharedConnection::open(ConnectionString::forFile(path), SqlDialect::Embedded, error))
        return false;
    LibraryGenerator::Options options;
    options.bulkLoad = true;
    return LibraryGenerator(SharedConnection::database(), options).generate(size, error);
}
