# a condition inside one million passes of a counted loop
set even 0
for {set count 1} {$count <= 1000000} {incr count} { if {$count % 2 == 0} { incr even } }
puts $even
