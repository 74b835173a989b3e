// The two point-editing dialogs: cubic spline data and fan performance.
#pragma once

#include <cstdint>
#include <string>

#include "model/airflow_element.h"

class QWidget;

namespace avelor {
class Project;
}

namespace avelor::ui {

// The fan performance dialog over a fan element's working copy: true when
// OK stored a fitted curve in fan.
bool run_fan_points_dialog(QWidget* parent, FanData& fan, std::int16_t flow_unit,
                           std::int16_t pressure_unit);

// The cubic spline data dialog for a spline element's working copy (types
// csf_fsp..csf_psq): name, description and points; OK accepts the copy into
// the project's elements over stored (null for a new element). Returns the
// stored element once accepted, null on Cancel.
AirflowElement* run_spline_element_dialog(QWidget* parent, Project& project, AirflowElement& copy,
                                          AirflowElement* stored);

// The cubic spline data dialog over a duct spline element's points (types
// dct_fsp..dct_psq): the name and description shown belong to the duct
// element's sheet and are not edited here. OK runs the point test; true
// when it passed and the points were stored in data.
bool run_duct_spline_dialog(QWidget* parent, SplineData& data, int type, const std::string& name,
                            const std::string& desc);

}  // namespace avelor::ui
