# one million passes of a counted loop: an addition and an assignment
set total 0
for {set count 1} {$count <= 1000000} {incr count} {
    set total [expr {$total + $count}]
}
puts $total
