#pragma once

#include <vector>
#include <QString>
