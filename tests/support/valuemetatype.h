// The frame's general value as a Qt metatype, for the columns of the tests' tables of
// cases and for values carried in a QVariant.

#pragma once

#include "suiteframe/platform/value.h"

#include <QMetaType>

Q_DECLARE_METATYPE(platform::Value)
