#pragma once
// The identifiers through which the program reaches the variables it knows by name.
// HVC_IDS(X) expands X(name) once per identifier, in a fixed order.

#define HVC_IDS(X)                                                                                 \
    X(HVC_PROG_VERS)                                                                               \
    X(HVC_SERIAL_NUMBER)                                                                           \
    X(HVC_SERVICE_WEEK)                                                                            \
    X(HVC_SERVICE_YEAR)                                                                            \
    X(HVC_PROD_NUM)                                                                                \
    X(HVC_NUM_PROP_REG)                                                                            \
    X(HVC_NUM_PROP_REGNOT)                                                                         \
    X(HVC_NUM_DIGIT)                                                                               \
    X(HVC_SOL_TYPE)                                                                                \
    X(HVC_SYSTEM_TYPE)                                                                             \
    X(HVC_FLOAT_CURRENT)                                                                           \
    X(HVC_FLOAT_SOL_NUM)                                                                           \
    X(HVC_FLOAT_CURRENT_1)                                                                         \
    X(HVC_FLOAT_CURRENT_2)                                                                         \
    X(HVC_FLOAT_CURRENT_3)                                                                         \
    X(HVC_FLOAT_CURRENT_4)                                                                         \
    X(HVC_FLOAT_MAG_SIDE)                                                                          \
    X(HVC_FLOAT_CONFIG_1)                                                                          \
    X(HVC_FLOAT_CONFIG_2)                                                                          \
    X(HVC_FLOAT_MONITOR)                                                                           \
    X(HVC_RAMP_TRISE_0)                                                                            \
    X(HVC_RAMP_TRISE_1)                                                                            \
    X(HVC_RAMP_TRISE_2)                                                                            \
    X(HVC_RAMP_TRISE_3)                                                                            \
    X(HVC_RAMP_TRISE_4)                                                                            \
    X(HVC_RAMP_TRISE_5)                                                                            \
    X(HVC_RAMP_TRISE_6)                                                                            \
    X(HVC_RAMP_TRISE_7)                                                                            \
    X(HVC_RAMP_TFALL_0)                                                                            \
    X(HVC_RAMP_TFALL_1)                                                                            \
    X(HVC_RAMP_TFALL_2)                                                                            \
    X(HVC_RAMP_TFALL_3)                                                                            \
    X(HVC_RAMP_TFALL_4)                                                                            \
    X(HVC_RAMP_TFALL_5)                                                                            \
    X(HVC_RAMP_TFALL_6)                                                                            \
    X(HVC_RAMP_TFALL_7)                                                                            \
    X(HVC_RAMP_INV_MODE_0)                                                                         \
    X(HVC_RAMP_INV_MODE_1)                                                                         \
    X(HVC_RAMP_INV_MODE_2)                                                                         \
    X(HVC_RAMP_INV_MODE_3)                                                                         \
    X(HVC_JOY_NODE_ID)                                                                             \
    X(HVC_JOY_TIMEOUT)                                                                             \
    X(HVC_JOY_0_CONFIG)                                                                            \
    X(HVC_JOY_1_CONFIG)                                                                            \
    X(HVC_JOY_2_CONFIG)                                                                            \
    X(HVC_JOY_3_CONFIG)                                                                            \
    X(HVC_JOY_0_ID)                                                                                \
    X(HVC_JOY_1_ID)                                                                                \
    X(HVC_JOY_2_ID)                                                                                \
    X(HVC_JOY_3_ID)                                                                                \
    X(HVC_JOY_0_INV)                                                                               \
    X(HVC_JOY_1_INV)                                                                               \
    X(HVC_JOY_2_INV)                                                                               \
    X(HVC_JOY_3_INV)                                                                               \
    X(HVC_JOY0_VALUE)                                                                              \
    X(HVC_JOY1_VALUE)                                                                              \
    X(HVC_JOY2_VALUE)                                                                              \
    X(HVC_JOY3_VALUE)                                                                              \
    X(HVC_JOY0_RED)                                                                                \
    X(HVC_JOY1_RED)                                                                                \
    X(HVC_JOY2_RED)                                                                                \
    X(HVC_JOY3_RED)                                                                                \
    X(HVC_DGT_CONFIG_1)                                                                            \
    X(HVC_DGT_CONFIG_2)                                                                            \
    X(HVC_DGT_CONFIG_3)                                                                            \
    X(HVC_DGT_CONFIG_4)                                                                            \
    X(HVC_DGT_CONFIG_5)                                                                            \
    X(HVC_DGT_CONFIG_6)                                                                            \
    X(HVC_DGT_CONFIG_7)                                                                            \
    X(HVC_DGT_CONFIG_8)                                                                            \
    X(HVC_DIGIT_MONITOR)                                                                           \
    X(HVC_DITHER_AMP)                                                                              \
    X(HVC_DITHER_FREQ)                                                                             \
    X(HVC_DITHER_TYPE)                                                                             \
    X(HVC_DITHER_AMP_PERC)                                                                         \
    X(HVC_DITHER_UPDATE)                                                                           \
    X(HVC_SP_0_MACRO)                                                                              \
    X(HVC_SP_1_MACRO)                                                                              \
    X(HVC_SP_2_MACRO)                                                                              \
    X(HVC_SP_3_MACRO)                                                                              \
    X(HVC_I0_MIN)                                                                                  \
    X(HVC_I0_MAX)                                                                                  \
    X(HVC_I1_MIN)                                                                                  \
    X(HVC_I1_MAX)                                                                                  \
    X(HVC_I2_MIN)                                                                                  \
    X(HVC_I2_MAX)                                                                                  \
    X(HVC_I3_MIN)                                                                                  \
    X(HVC_I3_MAX)                                                                                  \
    X(HVC_I4_MIN)                                                                                  \
    X(HVC_I4_MAX)                                                                                  \
    X(HVC_I5_MIN)                                                                                  \
    X(HVC_I5_MAX)                                                                                  \
    X(HVC_I6_MIN)                                                                                  \
    X(HVC_I6_MAX)                                                                                  \
    X(HVC_I7_MIN)                                                                                  \
    X(HVC_I7_MAX)                                                                                  \
    X(HVC_I0_SDM_MIN)                                                                              \
    X(HVC_I0_SDM_MAX)                                                                              \
    X(HVC_I1_SDM_MIN)                                                                              \
    X(HVC_I1_SDM_MAX)                                                                              \
    X(HVC_I2_SDM_MIN)                                                                              \
    X(HVC_I2_SDM_MAX)                                                                              \
    X(HVC_I3_SDM_MIN)                                                                              \
    X(HVC_I3_SDM_MAX)                                                                              \
    X(HVC_I4_SDM_MIN)                                                                              \
    X(HVC_I4_SDM_MAX)                                                                              \
    X(HVC_I5_SDM_MIN)                                                                              \
    X(HVC_I5_SDM_MAX)                                                                              \
    X(HVC_I6_SDM_MIN)                                                                              \
    X(HVC_I6_SDM_MAX)                                                                              \
    X(HVC_I7_SDM_MIN)                                                                              \
    X(HVC_I7_SDM_MAX)                                                                              \
    X(HVC_I0_MEASURE_400)                                                                          \
    X(HVC_I1_MEASURE_400)                                                                          \
    X(HVC_I2_MEASURE_400)                                                                          \
    X(HVC_I3_MEASURE_400)                                                                          \
    X(HVC_ERROR_SEC_1)                                                                             \
    X(HVC_ERROR_SEC_2)                                                                             \
    X(HVC_ERROR_SEC_3)                                                                             \
    X(HVC_ERROR_SEC_4)                                                                             \
    X(HVC_VBB_ERROR)                                                                               \
    X(HVC_ERROR_CODE)                                                                              \
    X(HVC_CHD_ERR_CODE)                                                                            \
    X(HVC_HSD_MONITOR)                                                                             \
    X(HVC_CAN_ERROR_CODE)                                                                          \
    X(HVC_HSD_ERROR)                                                                               \
    X(HVC_SP0_ERROR)                                                                               \
    X(HVC_SP1_ERROR)                                                                               \
    X(HVC_SP2_ERROR)                                                                               \
    X(HVC_SP3_ERROR)                                                                               \
    X(HVC_SETPOINT_ERROR)                                                                          \
    X(HVC_VBB_400)

namespace hvc {

enum class HvcId : int {
#define HVC_ID_ENUM(name) name,
    HVC_IDS(HVC_ID_ENUM)
#undef HVC_ID_ENUM
};

inline constexpr int kHvcIdCount = 0
#define HVC_ID_COUNT(name) +1 // NOLINT(bugprone-macro-parentheses): each id adds one
    HVC_IDS(HVC_ID_COUNT)
#undef HVC_ID_COUNT
    ;

static_assert(kHvcIdCount == 132);

} // namespace hvc
