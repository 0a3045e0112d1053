// SPDX-License-Identifier: GPL-3.0-or-later
// A core file that includes a chart.
#include <QChartView>
