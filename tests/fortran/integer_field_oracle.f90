! Oracle for the four-character integer field of numeric glyph codes: reads
! every field over a small alphabet with (i4) and prints, per field, the
! field between bars and either the value read or "fail".
program integer_field_oracle
  implicit none
  character(len=*), parameter :: alphabet = ' +-079x.'
  character(len=4) :: field
  integer :: i1, i2, i3, i4, v, ios
  do i1 = 1, len(alphabet)
    do i2 = 1, len(alphabet)
      do i3 = 1, len(alphabet)
        do i4 = 1, len(alphabet)
          field = alphabet(i1:i1) // alphabet(i2:i2) // alphabet(i3:i3) // alphabet(i4:i4)
          read (field, '(i4)', iostat=ios) v
          if (ios == 0) then
            print '(3a,i0)', '|', field, '| ', v
          else
            print '(3a)', '|', field, '| fail'
          end if
        end do
      end do
    end do
  end do
end program integer_field_oracle
