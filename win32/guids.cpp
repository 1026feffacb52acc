// Defines the GUIDs the widl header declares (CLSID_KavrinLineChart, IID__KavrinLineChart,
// LIBID_KavrinLineChartProj, ...), once for the whole server.
#include <windows.h>

#include <initguid.h>

#include "kavrin_line_chart_h.h"
