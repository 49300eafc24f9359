# The Windows tests in groups that run side by side.
vemora_win_test(render "GlowRender*:NamedColours*:Snapshots*")
vemora_win_test(canvas "GlowCanvas*")
vemora_win_test(clock "Clock*:SettingsFile*:Handles*")
vemora_win_test(menu "Menu*:Power*:TimedAction*:Alarms*")
vemora_win_test(online "NetworkTime*")
# Beside two TLS servers: one authority the prefix trusts for the run, one it does not.
vemora_win_test(https "HttpGet*" WRAPPER ${CMAKE_SOURCE_DIR}/tests/win/tlsservers.py)
vemora_win_test(weather "Weather*:Forecast*")
vemora_win_test(horoscope "Horoscope*")
vemora_win_test(calendar "Calendar*")
vemora_win_test(settings "SettingsDialog*")
vemora_win_test(program "WholeProgram*")
vemora_win_test(dpi "Dpi*")
