#pragma once

// The archive type and compression level choices, the same in every dialog that offers them; the index
// of an entry is the stored value.

class QComboBox;

void FillArchiveTypeList(QComboBox* list);
void FillCompressionLevelList(QComboBox* list);
