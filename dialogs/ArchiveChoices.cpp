#include "ArchiveChoices.h"

#include <QComboBox>

void FillArchiveTypeList(QComboBox* list)
{
    // The names of the formats read the same in every language.
    list->clear();
    list->addItems({QStringLiteral("7zip"), QStringLiteral("Zip")});
}

void FillCompressionLevelList(QComboBox* list)
{
    list->clear();
    list->addItems({QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("5"),
        QStringLiteral("7"), QStringLiteral("9")});
}
