# The Windows tests in groups that run side by side.
vemora_win_test(render "GlowRender*:NamedColours*:Snapshots*")
vemora_win_test(clock "Clock*:SettingsFile*:Handles*")
vemora_win_test(menu "Menu*:Power*:TimedAction*")
vemora_win_test(online "NetworkTime*")
vemora_win_test(weather "Weather*")
vemora_win_test(horoscope "Horoscope*")
vemora_win_test(calendar "Calendar*")
vemora_win_test(settings "SettingsDialog*")
