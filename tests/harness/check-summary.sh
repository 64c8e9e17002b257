#!/usr/bin/env bash
# Checks the guest's summary lines ("SUMMARY key=value"): of the Linux run,
# with --wine of the Wine stage, with --window of the window stage.
#
#   check-summary.sh [--wine | --window] SUMMARY_FILE
set -uo pipefail

stage=linux
case "${1:-}" in
  --wine | --window)
    stage=${1#--}
    shift
    ;;
esac
summary=${1:?usage: check-summary.sh [--wine | --window] SUMMARY_FILE}
failures=0

value() { sed -n "s/^SUMMARY $1=//p" "$summary" | tail -n 1; }
expect() {
  local key=$1 wanted=$2 got
  got=$(value "$key")
  if [ "$got" != "$wanted" ]; then
    echo "usb-harness: $key is '${got:-missing}', expected '$wanted'" >&2
    failures=$((failures + 1))
  fi
}
expect_number() {
  local key=$1 got
  got=$(value "$key")
  if ! [[ $got =~ ^[0-9]+(\.[0-9]+)?$ ]]; then
    echo "usb-harness: $key is '${got:-missing}', expected a number" >&2
    failures=$((failures + 1))
  fi
}

expect_pattern() {
  local key=$1 pattern=$2 got
  got=$(value "$key")
  if ! [[ $got =~ $pattern ]]; then
    echo "usb-harness: $key is '${got:-missing}', expected to match $pattern" >&2
    failures=$((failures + 1))
  fi
}

expect finished 1
expect modules ok
expect gadget_start ok
expect attach ok
expect usb_driver usb-storage

if [ "$stage" = window ]; then
  expect linux_update ok
  expect wine_root ok
  expect window_display ok
  expect wine_desktop ok
  expect window_attach ok
  expect window_standin ok
  expect window_instance 'USBSTOR\Disk&Ven_Orvexa&Prod_TQ-214_Enclosure&Rev_0100\0000000000000214&0'
  expect window_interface_link 'usbstor#disk&ven_orvexa&prod_tq-214_enclosure&rev_0100#0000000000000214&0#{53f56307-b6bf-11d0-94f2-00a0c91efb8b}'
  # 1. Found by itself: the five lines of tq214 info, the list, Update offered.
  expect window_found ok
  expect window_line5 'Chip FW Version[  21.32.00.01  ]'
  expect window_list '1:<<USB>> Orvexa  TQ-214 Enclosure'
  expect window_list_item ok
  expect window_update_offered ok
  expect linux_info_commands 9
  expect linux_update_commands 113
  expect window_found_commands 'equal(9)'
  # 2. Update.
  expect window_update PASS
  expect window_download_pieces 49
  expect window_update_commands 'equal(113)'
  expect_pattern window_screenshot '^[0-9]+$'
  expect window_block_patched ok
  # 3. Re-attached: refreshed by itself, from the timer.
  expect window_gone ok
  expect window_reattach ok
  expect window_update_hidden ok
  expect window_refresh_order message,timer,refresh
  expect window_refresh_timer ok
  expect_number window_refresh_after_ms
  expect window_reattach_commands 'equal(9)'
  # 4. Two enclosures.
  expect window_two_attach ok
  expect window_box ok
  expect window_two_list 2
  expect window_two_listed ok
  expect window_two_reached ok
  expect window_two_back_to_one ok
  # 5. Faults.
  expect window_fault_attach ok
  expect window_fault_update FAIL
  expect window_fault_block_unchanged ok
  expect window_short_attach ok
  expect window_short_update FAIL
  expect window_short_block_writes 0
  expect window_short_nothing_written ok
  # 6. Unplugged during the download.
  expect window_unplug_attach ok
  expect window_unplugged_update FAIL
  expect window_unplugged_no_device ok
  for key in linux_update window_display wine_desktop window_standin window_start window_update; do
    expect_number "time_${key}_ms"
  done
elif [ "$stage" = wine ]; then
  expect wine_root ok
  expect wine_start ok
  expect linux_update ok
  expect wine_attach ok
  expect wine_info ok
  expect_pattern wine_info_commands '^equal\([1-9][0-9]*\)$'
  expect wine_update PASS
  expect wine_download_pieces 49
  expect_pattern wine_update_commands '^equal\([1-9][0-9]*\)$'
  expect wine_reattach ok
  expect wine_info_after ok
  expect wine_fault_attach ok
  expect wine_fault_update FAIL
  expect wine_fault_config_unchanged ok
  expect wine_short_attach ok
  expect wine_short_read_arrived 128
  expect wine_short_read_update_fail ok
  for key in wine_services wine_first_run linux_update wine_info wine_update wine_fault_update; do
    expect_number "time_${key}_ms"
  done
else
  expect sg_inq ok
  expect chipinfo_signature f4e7
  expect sg_raw_chipinfo ok
  expect firmware_before 15200001
  expect sg_write_buffer ok
  expect sg_write_buffer_pieces 49
  expect readback_match ok
  expect phase_error_csws 1
  expect phase_error_recovery ok
  expect bulk_only_reset ok
  expect reattach ok
  expect reattach_firmware ok
  expect firmware_after 15200003
  expect_number time_sg_write_buffer_download_us
  expect_number time_sg_write_buffer_wall_us

  expect stand_in_refused ok
  expect tq214_list ok
  expect tq214_info ok
  expect info_serial 0000000000000214
  expect tq214_update PASS
  expect tq214_download_pieces 49
  expect tq214_info_after ok
  expect wait_attach ok
  expect wait_confirmed ok
  expect repeated_downloads ok
  expect fault_attach ok
  expect fault_update FAIL
  expect fault_config_unchanged ok
  expect fault_nothing_lost ok
  expect short_attach ok
  expect short_read_arrived 128
  expect short_read_update_fail ok
  expect short_read_block_unchanged ok
  expect refused_attach ok
  expect refused_update FAIL
  expect refused_config_unchanged ok
  expect refused_sense_named ok
  # What the kernel handed back is reported, whatever it was.
  expect_pattern sense_own '.'
  expect_pattern sense_reply '.'
  expect_number session_info
  expect_number session_update
  expect station_controllers 4
  expect station_update_all ok
  expect station_1_passed 1
  expect station_2_passed 2
  expect station_4_passed 4
  expect_number station_ratio_2_to_1
  expect_number station_ratio_4_to_1
  expect station_watch ok
  # Another unit in the examined one's place is never written.
  for swap in question all_question download; do
    expect "swap_${swap}_b_out_commands" 0
    expect "swap_${swap}_exit" 1
  done
  expect swap_question_said changed
  expect swap_all_question_said changed
  expect swap_download_said FAIL
  expect_number time_tq214_download_us
  expect_number download_ratio_tq214_to_sg
  expect_number time_tq214_update_total_us
fi
expect failures 0
expect result PASS

if [ "$failures" -ne 0 ]; then
  environment=$(value environment)
  if [ -n "$environment" ]; then
    echo "usb-harness: $environment: a failure of the environment (Wine's own start in the guest)," \
      "not of the programs under test" >&2
  fi
  echo "usb-harness: $failures check(s) failed" >&2
  exit 1
fi
echo "usb-harness: every check passed"
