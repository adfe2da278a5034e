#!/bin/sh
# SPDX-License-Identifier: MIT
# Writes the sample blocks file examples/board.blocks with the tool's own edit commands, so the
# sample is what the library writes.  Usage: make_board_sample.sh PATH/TO/reuseblocks OUT
set -eu
tool=$1
out=$2
: > "$out"

# add ID PATH TYPE STATUS X Y SIDE ROTATION UNITS INT_X INT_Y QOR
add() {
    "$tool" add "$out" "$1" BLOCK_PATH="$2" BLOCK_TYPE="$3" BLOCK_STATUS="$4" XLOC="$5" \
        YLOC="$6" SIDE="$7" ROTATION="$8" UNITS="$9" INT_XLOC="${10}" INT_YLOC="${11}" \
        QOR_STATUS="${12}"
}
# map ID BLOCK_ORDER BLOCK_LAYER DESIGN_ORDER DESIGN_LAYER
map() { "$tool" map add "$out" "$@"; }
# The host board has eight layers: TOP GND1 SIG1 SIG2 PWR1 GND2 SIG3 BOTTOM.
four_layers() {
    map "$1" 1 TOP 1 TOP
    map "$1" 2 GND 2 GND1
    map "$1" 3 PWR 5 PWR1
    map "$1" 4 BOTTOM 8 BOTTOM
}
two_layers() {
    map "$1" 1 TOP 1 TOP
    map "$1" 2 BOTTOM 8 BOTTOM
}
# Blocks placed on the bottom side take the host's layer stack the other way round.
two_layers_flipped() {
    map "$1" 1 TOP 8 BOTTOM
    map "$1" 2 BOTTOM 1 TOP
}

add /TOP/U12/B3 '$REUSE/other_libs/optics' Smashed Placed 1200 850 TOP 90 mils 304800 215900 Processed
four_layers /TOP/U12/B3
add /TOP/U12/B4 '$REUSE/other_libs/optics' Smashed Placed 2400 850 TOP 90 mils 609600 215900 Processed
four_layers /TOP/U12/B4
add /TOP/PSU1 '$REUSE/power/buck_3v3' Replica Placed 300 2900 TOP 0 mils 76200 736600 Processed
two_layers /TOP/PSU1
add /TOP/PSU2 '$REUSE/power/buck_1v8' Replica Planned 700 2900 TOP 0 mils 177800 736600 Unprocessed
two_layers /TOP/PSU2
add /TOP/PSU3/LDO1 '$REUSE/power/ldo_1v2' Primitive Unplaced 0 0 TOP 0 mils 0 0 Unprocessed
add /TOP/DDR/CH0 '$REUSE/memory/ddr4_x16' Replica Placed 3100 1500 TOP 0 mils 787400 381000 Processed
four_layers /TOP/DDR/CH0
add /TOP/DDR/CH1 '$REUSE/memory/ddr4_x16' Replica Placed 3100 2200 TOP 180 mils 787400 558800 Processed
four_layers /TOP/DDR/CH1
add /TOP/USB/J1 '$REUSE/connectors/usb_c_rx' Primitive Placed 150 400 BOTTOM 270 mils 38100 101600 Processed
two_layers_flipped /TOP/USB/J1
add /TOP/ETH/PHY0 '$REUSE/other_libs/eth_phy_rgmii' Smashed Unplaced 0 0 TOP 0 mils 0 0 Unprocessed
map /TOP/ETH/PHY0 1 TOP 1 TOP
map /TOP/ETH/PHY0 2 GND 2 GND1
map /TOP/ETH/PHY0 3 SIG 3 SIG1
add /TOP/CLK/U7 '$REUSE/clocking/xo_25mhz' Primitive Placed 2000 300 BOTTOM 0 mils 508000 76200 Processed
two_layers_flipped /TOP/CLK/U7
add /TOP/SENS/U21 '$REUSE/sensors/imu_6axis' Smashed Planned 91.44 10.16 TOP 45 mm 914400 101600 Unprocessed
map /TOP/SENS/U21 1 TOP 1 TOP
add /TOP/MCU/U1 '$REUSE\mcu\mcu_core' Smashed Placed 1800 1900 TOP 0 mils 457200 482600 Processed
two_layers /TOP/MCU/U1
