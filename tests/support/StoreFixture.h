#pragma once

// A test with its own home folder, a fresh profile store and an empty set collection.

#include "ProfileStore.h"
#include "RecordingMessages.h"
#include "SetCollection.h"
#include "Settings.h"
#include "TempHome.h"

#include <gtest/gtest.h>

class StoreFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_profileStore = new ProfileStore(QStringLiteral("Velmora"));
        backupSets.clear();
        MutableSettings().newSetDestination.clear();
        MutableSettings().chainLength = 10;
    }

    void TearDown() override
    {
        delete g_profileStore;
        g_profileStore = nullptr;
        backupSets.clear();
    }

    QString setFile(const QString& name) const { return home.setFolder() + QLatin1Char('/') + name + ".ini"; }
    void writeSetFile(const QString& name, const QByteArray& body) const
    {
        writeFile(setFile(name), "[Velmora Project file]\n" + body);
    }

    TempHome home;
    RecordingMessages messages;
};
