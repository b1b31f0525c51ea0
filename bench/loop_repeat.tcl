# one million passes of a from-to loop: an addition and an assignment
set total 0
for {set i 1} {$i <= 1000000} {incr i} {
    set total [expr {$total + $i * 2}]
}
puts $total
